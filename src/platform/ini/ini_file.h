// INI files (settings, course lists): reading them with the line of every entry, and changing one
// value in a file's text without touching anything else.
//
// Stands in for: GetPrivateProfileString/WritePrivateProfileString, kept to what the game's own
// files need.
// Reads `[section]` headers and `key = value` (or `key: value`) lines; a line whose first character
// is `;` or `#` is a comment, and a `;` after a space ends a value. Spaces and tabs at the start of
// a line mean nothing: every line stands alone, there are no continuation lines. A line longer than
// kMostLineBytes is skipped and reported by its number. Reading takes time in proportion to the
// text and never throws: a missing or unreadable file is an error string; every line that is not a
// header, an entry, a comment or blank is reported by number, and the entries around it still count.
// Every [section] line is kept with its number, so a section opened twice can be told apart.
// Does not: write files (callers own their format and write atomically), interpret values.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform::ini {

// Longer lines are nobody's settings: they are skipped whole, with their line number.
inline constexpr std::size_t kMostLineBytes = 4096;

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
    std::vector<int> badLines;  // lines that are neither a header, key = value, comment nor blank
    std::vector<int> longLines; // lines over kMostLineBytes, skipped
    int firstBadLine = 0;       // badLines' first, 0 for none
    // Last entry with this section and key, or nullptr.
    const Entry* Find(const std::string& section, const std::string& key) const;
};

// False with "PATH: reason" in `error` when the file cannot be opened or read.
bool Load(const std::string& path, File* out, std::string* error);
// Parses text already in memory (tests, embedded defaults).
File Parse(const std::string& text);

// `text` with `key` in `section` set to `value` (sections and keys in any letter case): the line a
// reader would take the value from is changed in place, keeping its spacing and comment; a missing
// key is added after the last entry of its section, a missing section at the end. Every other line,
// comments and blank lines included, stays byte for byte.
std::string SetValue(const std::string& text, const std::string& section, const std::string& key,
                     const std::string& value);

} // namespace platform::ini
