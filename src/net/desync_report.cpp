// Lists both states field by field (through the state's own field list) and keeps the differences.
#include "net/desync_report.h"

#include "race/field_paths.h"

#include <cmath>
#include <cstdio>
#include <type_traits>
#include <vector>

namespace net {

namespace {

std::string Number(double v) {
    if (!std::isfinite(v)) return "\"" + std::to_string(v) + "\"";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

// A field's value as JSON text.
struct JsonValue {
    template <typename T> std::string operator()(const char*, const T& value) const {
        if constexpr (std::is_same_v<T, bool>) {
            return value ? "true" : "false";
        } else if constexpr (std::is_floating_point_v<T>) {
            return Number(value);
        } else if constexpr (std::is_integral_v<T>) {
            return std::to_string(value);
        } else if constexpr (std::is_same_v<T, D3DXVECTOR3>) {
            return "[" + Number(value.x) + ", " + Number(value.y) + ", " + Number(value.z) + "]";
        } else {
            static_assert(std::is_same_v<T, D3DXMATRIX>);
            std::string out = "[";
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c) out += (r + c ? ", " : "") + Number(value.m[r][c]);
            return out + "]";
        }
    }
};

} // namespace

std::string DesyncFileName(std::uint32_t update) { return "desync-" + std::to_string(update) + ".json"; }

std::string DesyncReport(std::uint32_t update, const race::RaceState& here, const std::string& hereName,
                         const race::RaceState& there, const std::string& thereName) {
    race::FieldPaths<JsonValue> left, right;
    race::RaceState::Fields(here, left);
    race::RaceState::Fields(there, right);
    std::string out = "{\n  \"update\": " + std::to_string(update) + ",\n  \"here\": " + Quoted(hereName) +
                      ",\n  \"there\": " + Quoted(thereName) + ",\n  \"differences\": [";
    bool first = true;
    for (std::size_t i = 0; i < left.fields.size() && i < right.fields.size(); ++i) {
        if (left.fields[i].value == right.fields[i].value) continue;
        out += std::string(first ? "" : ",") + "\n    {\"field\": " + Quoted(left.fields[i].path) +
               ", \"here\": " + left.fields[i].value + ", \"there\": " + right.fields[i].value + "}";
        first = false;
    }
    return out + "\n  ]\n}\n";
}

} // namespace net
