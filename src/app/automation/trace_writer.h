// TraceWriter: one JSON object per frame for automated checks of a run.
//
// The shell writes "frame", "scene", "fade", "sounds" and "playing"; a scene adds its own keys through
// SceneBase::WriteTrace. Keys come out in one fixed order whoever set them, so traces of the
// same run compare line by line; keys nobody set are left out.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TraceWriter {
public:
    // Starts a new line; every key of the previous one is dropped.
    void Begin(std::uint64_t frame);
    // Sets a key to a JSON value already formatted (use the helpers below).
    void Set(const std::string& key, std::string json);
    bool Has(const std::string& key) const;
    // The whole object on one line, without a newline.
    std::string Line() const;

    static std::string Integer(std::int64_t value);
    // Finite numbers with up to 7 significant digits; NaN and infinities become null.
    static std::string Number(double value);
    static std::string Bool(bool value);
    static std::string String(const std::string& value);
    static std::string Array(const std::vector<std::string>& items);
    static std::string Object(const std::vector<std::pair<std::string, std::string>>& members);

private:
    std::vector<std::pair<std::string, std::string>> fields;
};
