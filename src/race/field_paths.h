// Lists a race state's fields in order with their paths ("racers[2].speed"), each value turned into
// text by the caller's conversion, so two states can be compared field by field.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace race {

template <typename Convert> class FieldPaths {
public:
    struct Field {
        std::string path;
        std::string value;
    };
    std::vector<Field> fields;

    template <typename T> void operator()(const char* name, const T& value) {
        std::string path = prefix_ + name;
        // Repeated names (the waypoints) are told apart by their order.
        if (const int n = seen_[path]++; n > 0) path += "[" + std::to_string(n) + "]";
        fields.push_back(Field{std::move(path), Convert{}(name, value)});
    }
    // Both states list every field, rivals or not, so the two lists line up.
    bool Tail(const char* name, const bool& present) {
        (*this)(name, present);
        return true;
    }
    void Enter(const char* name, std::size_t index) {
        outer_ = prefix_;
        prefix_ = std::string(name) + "[" + std::to_string(index) + "].";
    }
    void Leave() { prefix_ = outer_; }
    void Fail(const char*) {}

private:
    std::string prefix_, outer_;
    std::map<std::string, int> seen_;
};

} // namespace race
