// INI reading and in-place editing, one line at a time: every line is classified by the same rules
// whether it is read or edited, so an edit changes exactly the line a reader takes the value from.
#include "platform/ini/ini_file.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

namespace platform::ini {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class Kind { Blank, Comment, Section, Entry, Bad, TooLong };

struct Line {
    Kind kind = Kind::Blank;
    std::string_view name;      // the section's or the key's
    std::size_t valueBegin = 0; // the value's bytes within the line
    std::size_t valueEnd = 0;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

// The first of `stops` from `from` on, or a `;` that follows a space (a comment), or the end.
std::size_t FindStopOrComment(std::string_view text, std::size_t from, std::string_view stops) {
    bool afterSpace = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (stops.find(text[i]) != std::string_view::npos || (afterSpace && text[i] == ';')) return i;
        afterSpace = IsSpace(text[i]);
    }
    return text.size();
}

Line Classify(std::string_view line) {
    Line out;
    if (line.size() > kMostLineBytes) return out.kind = Kind::TooLong, out;
    std::size_t begin = 0, end = line.size();
    while (begin < end && IsSpace(line[begin])) ++begin;
    while (end > begin && IsSpace(line[end - 1])) --end;
    const std::string_view text = line.substr(0, end);
    if (begin == end) return out;
    if (text[begin] == ';' || text[begin] == '#') return out.kind = Kind::Comment, out;
    if (text[begin] == '[') {
        const std::size_t close = FindStopOrComment(text, begin + 1, "]");
        if (close == end) return out.kind = Kind::Bad, out;
        out.name = Trim(text.substr(begin + 1, close - begin - 1));
        return out.kind = Kind::Section, out;
    }
    const std::size_t delimiter = FindStopOrComment(text, begin, "=:");
    if (delimiter == end || (text[delimiter] != '=' && text[delimiter] != ':')) return out.kind = Kind::Bad, out;
    out.name = Trim(text.substr(begin, delimiter - begin));
    if (out.name.empty()) return out.kind = Kind::Bad, out;
    out.valueEnd = FindStopOrComment(text, delimiter + 1, "");
    out.valueBegin = delimiter + 1;
    while (out.valueBegin < out.valueEnd && IsSpace(text[out.valueBegin])) ++out.valueBegin;
    while (out.valueEnd > out.valueBegin && IsSpace(text[out.valueEnd - 1])) --out.valueEnd;
    out.kind = Kind::Entry;
    return out;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
    return text;
}

// The lines of `text` without their '\n' (a '\r' before it stays); a final '\n' ends the last line.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t newline = text.find('\n', start);
        if (newline == std::string_view::npos) newline = text.size();
        lines.push_back(text.substr(start, newline - start));
        start = newline + 1;
    }
    return lines;
}

void ParseInto(const std::string& text, File* file) {
    std::string section;
    const std::string_view body = WithoutByteOrderMark(text);
    std::size_t start = 0;
    for (int number = 1; start < body.size(); ++number) {
        std::size_t newline = body.find('\n', start);
        if (newline == std::string_view::npos) newline = body.size();
        const std::string_view line = body.substr(start, newline - start);
        start = newline + 1;
        const Line parsed = Classify(line);
        if (parsed.kind == Kind::TooLong) file->longLines.push_back(number);
        if (parsed.kind == Kind::Bad) file->badLines.push_back(number);
        if (parsed.kind == Kind::Section) {
            section = parsed.name;
            file->headers.push_back({section, number});
        }
        if (parsed.kind != Kind::Entry) continue;
        const std::string_view value = line.substr(parsed.valueBegin, parsed.valueEnd - parsed.valueBegin);
        file->entries.push_back({section, std::string(parsed.name), std::string(value), number});
    }
    if (!file->badLines.empty()) file->firstBadLine = file->badLines.front();
}

// Where SetValue acts: the line holding the key, else the line to add it after.
struct Place {
    std::optional<std::size_t> entry;  // the last line that sets the key
    std::optional<std::size_t> anchor; // the last entry (or header) of the section's last header
    std::optional<std::size_t> firstHeader;
    bool sectionFound = false;
};

Place Locate(const std::vector<std::string>& lines, const std::string& section, const std::string& key) {
    Place place;
    bool inSection = section.empty(); // "" is the part before the first header
    place.sectionFound = inSection;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line line = Classify(lines[i]);
        if (line.kind == Kind::Section) {
            if (!place.firstHeader) place.firstHeader = i;
            inSection = !section.empty() && SameName(line.name, section);
            if (inSection) place.anchor = i, place.sectionFound = true;
        } else if (line.kind == Kind::Entry && inSection) {
            place.anchor = i;
            if (SameName(line.name, key)) place.entry = i;
        }
    }
    return place;
}

} // namespace

const Entry* File::Find(const std::string& section, const std::string& key) const {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->section == section && it->key == key) return &*it;
    return nullptr;
}

File Parse(const std::string& text) {
    File file;
    ParseInto(text, &file);
    return file;
}

bool Load(const std::string& path, File* out, std::string* error) {
    *out = File{};
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        *error = path + ": " + std::strerror(EISDIR);
        return false;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = path + ": " + std::strerror(errno ? errno : ENOENT);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        *error = path + ": " + std::strerror(errno ? errno : EIO);
        return false;
    }
    ParseInto(text.str(), out);
    return true;
}

std::string SetValue(const std::string& text, const std::string& section, const std::string& key,
                     const std::string& value) {
    const std::string_view body = WithoutByteOrderMark(text);
    std::vector<std::string> lines;
    for (std::string_view line : SplitLines(body)) lines.emplace_back(line);
    bool finalNewline = body.empty() || body.back() == '\n';
    const std::string ending = !lines.empty() && !lines.front().empty() && lines.front().back() == '\r' ? "\r" : "";
    const Place place = Locate(lines, section, key);
    if (place.entry) {
        std::string& line = lines[*place.entry];
        const Line parsed = Classify(line);
        // An empty "music=" gains a space before its new value; any other line keeps its spacing.
        const char before = line[parsed.valueBegin - 1];
        const bool bare = parsed.valueBegin == parsed.valueEnd && (before == '=' || before == ':');
        line.replace(parsed.valueBegin, parsed.valueEnd - parsed.valueBegin, (bare ? " " : "") + value);
    } else if (place.sectionFound) {
        std::size_t at = place.anchor ? *place.anchor + 1 : place.firstHeader.value_or(lines.size());
        if (at == lines.size()) finalNewline = true;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), key + " = " + value + ending);
    } else {
        if (!lines.empty() && Classify(lines.back()).kind != Kind::Blank) lines.push_back(ending);
        lines.push_back("[" + section + "]" + ending);
        lines.push_back(key + " = " + value + ending);
        finalNewline = true;
    }
    std::string out(text.substr(0, text.size() - body.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += lines[i];
        if (i + 1 < lines.size() || finalNewline) out += '\n';
    }
    return out;
}

} // namespace platform::ini
