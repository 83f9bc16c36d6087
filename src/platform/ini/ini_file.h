// INI files (settings, course lists) read through Debian's inih, with the line of every entry.
//
// Stands in for: GetPrivateProfileString-style reading, kept to what the game's own files need.
// Reads `[section]` headers and `key = value` lines; `;` and `#` start comments (a `;` after a
// space ends a value). Every entry keeps the line it came from, so a caller can name it in a
// message. A line longer than inih's 199-byte buffer is read up to there and counted as one line.
// Reading never throws: a missing or unreadable file is an error string; the first line
// inih cannot parse is reported by number and the entries around it are still returned.
// Does not: write files (callers own their format and write atomically), interpret values.
#pragma once

#include <string>
#include <vector>

namespace platform::ini {

struct Entry {
    std::string section; // "" before the first header
    std::string key;
    std::string value;
    int line = 0; // 1-based
};

// A [section] line.
struct Header {
    std::string section;
    int line = 0;
};

struct File {
    std::vector<Entry> entries;
    // Every [section] line in file order, a section opened again included (its entries read as the
    // same section's).
    std::vector<Header> headers;
    int firstBadLine = 0; // first line that is neither a header, key = value, comment nor blank
    // First line too long to read whole: only its start (a whole number of UTF-8 characters) is read.
    int firstLongLine = 0;
    // Last entry with this section and key, or nullptr.
    const Entry* Find(const std::string& section, const std::string& key) const;
};

// False with "PATH: reason" in `error` when the file cannot be opened or read.
bool Load(const std::string& path, File* out, std::string* error);
// Parses text already in memory (tests, embedded defaults).
File Parse(const std::string& text);

} // namespace platform::ini
