// JSON formatting for trace lines: a fixed key order and strict escaping.
#include "app/automation/trace_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// The order of the documented keys; anything else follows in the order it was set.
constexpr const char* kKeyOrder[] = {"frame",   "scene", "fade",   "raceStarted", "cleared", "rank",
                                     "effects", "clock", "sounds", "playing",     "racers"};

int Rank(const std::string& key) {
    for (int i = 0; i < int(std::size(kKeyOrder)); ++i)
        if (key == kKeyOrder[i]) return i;
    return int(std::size(kKeyOrder));
}
} // namespace

void TraceWriter::Begin(std::uint64_t frame) {
    fields.clear();
    Set("frame", Integer(std::int64_t(frame)));
}

void TraceWriter::Set(const std::string& key, std::string json) {
    for (auto& field : fields)
        if (field.first == key) {
            field.second = std::move(json);
            return;
        }
    fields.emplace_back(key, std::move(json));
}

bool TraceWriter::Has(const std::string& key) const {
    return std::any_of(fields.begin(), fields.end(), [&](const auto& field) { return field.first == key; });
}

std::string TraceWriter::Line() const {
    auto ordered = fields;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return Rank(a.first) < Rank(b.first); });
    return Object(ordered);
}

std::string TraceWriter::Integer(std::int64_t value) { return std::to_string(value); }

std::string TraceWriter::Number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

std::string TraceWriter::Bool(bool value) { return value ? "true" : "false"; }

std::string TraceWriter::String(const std::string& value) {
    std::string out = "\"";
    for (unsigned char c : value) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

std::string TraceWriter::Array(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    return out + "]";
}

std::string TraceWriter::Object(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string out = "{";
    for (std::size_t i = 0; i < members.size(); ++i)
        out += (i ? "," : "") + String(members[i].first) + ":" + members[i].second;
    return out + "}";
}
