// The course file: one [section] per course, checked entry by entry so one bad course never hides
// the others.
#include "map/course_list.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "platform/ini/ini_file.h"

namespace {

constexpr const char* kMapFolder = "data/Map/";
constexpr const char* kSkyFolder = "data/XFile/SkySphere/";
constexpr const char* kTextureFolder = "data/Texture/";
// What fits the title's course line.
constexpr std::size_t kLongestName = 32;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// Exactly `count` finite numbers separated by blanks.
bool ParseNumbers(const std::string& text, std::size_t count, float* out) {
    std::istringstream in(text);
    for (std::size_t i = 0; i < count; ++i) {
        if (!(in >> out[i]) || !std::isfinite(out[i])) return false;
    }
    std::string rest;
    return !(in >> rest);
}

// The first `count` UTF-8 characters of `text` (a character is a lead byte and what follows it).
std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (seen++ == count) return text.substr(0, i);
    }
    return text;
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name != "." && name != "..";
}

// The entries of one section in file order, with the line that opened it.
struct Section {
    std::string name;
    int line = 0;
    std::map<std::string, const platform::ini::Entry*> values;
};

class EntryReader {
public:
    EntryReader(const Section& entries, const std::string& file) : section(entries), where(file) {}

    const platform::ini::Entry* Get(const char* key) const {
        auto it = section.values.find(key);
        return it == section.values.end() ? nullptr : it->second;
    }

    // Fails with a message when the key is absent or its value is not `count` finite numbers.
    bool Numbers(const char* key, std::size_t count, float* out, bool required) {
        const platform::ini::Entry* entry = Get(key);
        if (!entry) return !required || Fail(section.line, std::string("no ") + key);
        if (ParseNumbers(entry->value, count, out)) return true;
        return Fail(entry->line, std::string(key) + " needs " + std::to_string(count) + " finite number(s)");
    }

    // A file name inside `folder`. Without its map a course cannot be raced; without its sky it is
    // raced under no sky, as the game treats any missing model, and the stderr line says so.
    bool ExistingFile(const char* key, const char* folder, std::string* path, bool required) {
        const platform::ini::Entry* entry = Get(key);
        if (!entry) return Fail(section.line, std::string("no ") + key);
        if (!IsPlainFileName(entry->value)) return Fail(entry->line, std::string(key) + " must be a bare file name");
        *path = folder + entry->value;
        if (std::filesystem::is_regular_file(*path)) return true;
        if (required) return Fail(entry->line, *path + " is missing");
        std::fprintf(stderr, "courses: %s:%d: course [%s]: %s is missing; racing it without\n", where.c_str(),
                     entry->line, section.name.c_str(), path->c_str());
        return true;
    }

    bool Fail(int line, const std::string& reason) {
        if (message.empty())
            message = where + ":" + std::to_string(line) + ": course [" + section.name + "] left out: " + reason;
        return false;
    }

    std::string message;

private:
    const Section& section;
    const std::string& where;
};

bool ReadEntry(const Section& section, const std::string& where, CourseEntry* course, std::string* message) {
    EntryReader reader(section, where);
    float start[3], fog[4] = {0, 0, 0, 0}, light[3], diffuse[3], ambient[3];
    const CourseEntry defaults = CourseList::BuiltIn();
    std::copy_n(&defaults.lightDirection.x, 3, light);
    std::copy_n(&defaults.lightDiffuse.x, 3, diffuse);
    std::copy_n(&defaults.lightAmbient.x, 3, ambient);
    bool ok = reader.ExistingFile("map", kMapFolder, &course->mapPath, true) &&
              reader.ExistingFile("sky", kSkyFolder, &course->skyPath, false) &&
              reader.Numbers("start", 3, start, true) && reader.Numbers("heading", 1, &course->heading, true) &&
              reader.Numbers("fog", 4, fog, false) && reader.Numbers("light", 3, light, false) &&
              reader.Numbers("diffuse", 3, diffuse, false) && reader.Numbers("ambient", 3, ambient, false);
    const platform::ini::Entry* name = reader.Get("name");
    if (ok && (!name || name->value.empty())) ok = reader.Fail(section.line, "no name");
    if (!ok) {
        *message = reader.message;
        return false;
    }
    course->id = std::filesystem::path(course->mapPath).stem().string();
    course->name = FirstCharacters(name->value, kLongestName);
    if (course->name != name->value)
        std::fprintf(stderr, "courses: %s:%d: course [%s]: name longer than %zu characters; cut to \"%s\"\n",
                     where.c_str(), name->line, section.name.c_str(), kLongestName, course->name.c_str());
    if (const platform::ini::Entry* music = reader.Get("music"); music && !music->value.empty())
        course->music = music->value;
    if (const platform::ini::Entry* preview = reader.Get("preview"); preview && IsPlainFileName(preview->value))
        course->previewPath = kTextureFolder + preview->value;
    course->start = {start[0], start[1], start[2]};
    course->fog = {fog[0], fog[1], fog[2], fog[3]};
    course->lightDirection = {light[0], light[1], light[2]};
    course->lightDiffuse = {diffuse[0], diffuse[1], diffuse[2]};
    course->lightAmbient = {ambient[0], ambient[1], ambient[2]};
    return true;
}

// A section opened again is left out with one line: it is not the first course's to change.
std::vector<Section> GroupSections(const platform::ini::File& file, const std::string& where) {
    std::map<std::string, int> firstLine;
    std::vector<bool> again; // per header
    for (const platform::ini::Header& header : file.headers) {
        auto [first, added] = firstLine.emplace(header.section, header.line);
        again.push_back(!added);
        if (!added)
            std::fprintf(stderr, "courses: %s:%d: course [%s] left out: [%s] is already on line %d\n", where.c_str(),
                         header.line, header.section.c_str(), header.section.c_str(), first->second);
    }
    std::vector<Section> sections;
    std::size_t header = 0; // the header above the entry
    for (const platform::ini::Entry& entry : file.entries) {
        if (entry.section.empty()) continue;
        while (header + 1 < file.headers.size() && file.headers[header + 1].line <= entry.line) ++header;
        const bool underHeader = header < file.headers.size() && file.headers[header].section == entry.section;
        if (underHeader && again[header]) continue;
        auto same =
            std::find_if(sections.begin(), sections.end(), [&](const Section& s) { return s.name == entry.section; });
        if (same == sections.end()) {
            sections.push_back({entry.section, underHeader ? file.headers[header].line : entry.line, {}});
            same = sections.end() - 1;
        }
        same->values[entry.key] = &entry;
    }
    return sections;
}

} // namespace

CourseEntry CourseList::BuiltIn() {
    CourseEntry course;
    course.id = "map2";
    course.name = "Lakeside Valley";
    course.mapPath = "data/Map/map2.map";
    course.skyPath = "data/XFile/SkySphere/Sky.x";
    course.previewPath = "data/Texture/preview_map2.png";
    return course;
}

bool CourseList::Load(const std::string& path) {
    platform::ini::File file;
    std::string error;
    if (!platform::ini::Load(path, &file, &error)) {
        std::fprintf(stderr, "courses: %s; racing the built-in course only\n", error.c_str());
        courses.clear();
        selected = 0;
        return true;
    }
    return Accept(file, path);
}

bool CourseList::LoadText(const std::string& text, const std::string& where) {
    return Accept(platform::ini::Parse(text), where);
}

bool CourseList::Accept(const platform::ini::File& file, const std::string& where) {
    courses.clear();
    selected = 0;
    if (file.firstBadLine > 0)
        std::fprintf(stderr, "courses: %s:%d: not a [section] or key = value line\n", where.c_str(), file.firstBadLine);
    for (int line : file.longLines)
        std::fprintf(stderr, "courses: %s:%d: longer than %zu bytes; line ignored\n", where.c_str(), line,
                     platform::ini::kMostLineBytes);
    for (const Section& section : GroupSections(file, where)) {
        CourseEntry course;
        std::string message;
        if (!ReadEntry(section, where, &course, &message)) {
            std::fprintf(stderr, "courses: %s\n", message.c_str());
            continue;
        }
        const bool taken = std::any_of(courses.begin(), courses.end(), [&](const CourseEntry& c) {
            return c.id == course.id || Lower(c.name) == Lower(course.name);
        });
        if (taken) {
            std::fprintf(stderr, "courses: %s:%d: course [%s] left out: its map or name is already listed\n",
                         where.c_str(), section.line, section.name.c_str());
            continue;
        }
        courses.push_back(std::move(course));
    }
    if (courses.empty()) std::fprintf(stderr, "courses: %s lists no usable course\n", where.c_str());
    return !courses.empty();
}

const CourseEntry& CourseList::Selected() const {
    static const CourseEntry builtIn = BuiltIn();
    return selected < courses.size() ? courses[selected] : builtIn;
}

bool CourseList::Select(const std::string& idOrName) {
    const std::string wanted = Lower(idOrName);
    for (std::size_t i = 0; i < courses.size(); ++i) {
        if (Lower(courses[i].id) == wanted || Lower(courses[i].name) == wanted) {
            selected = i;
            return true;
        }
    }
    return courses.empty() && wanted == BuiltIn().id;
}

void CourseList::Step(int direction) {
    if (courses.empty()) return;
    const auto count = static_cast<long>(courses.size());
    long next = (static_cast<long>(selected) + direction) % count;
    if (next < 0) next += count;
    selected = static_cast<std::size_t>(next);
}
