// INI reading on inih: a line-counting reader gives each entry its line number.
#include "platform/ini/ini_file.h"

#include <ini.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

namespace platform::ini {
namespace {

struct Stream {
    const std::string* text = nullptr;
    std::size_t offset = 0;
    int line = 0; // the line inih is handling now
    File* file = nullptr;
    bool keySinceHeader = false; // inih reads an indented line after a key as that key's continuation
};

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// Notes a [section] line as inih will read it: the name runs to the first ']' (or to a "; comment",
// which makes the line a bad one).
void NoteHeader(Stream& stream, std::string_view line) {
    if (stream.line == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    const bool indented = !line.empty() && Blank(line.front());
    while (!line.empty() && Blank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() != '[' || (indented && stream.keySinceHeader)) return;
    const std::size_t close = line.find(']');
    const std::size_t comment = line.find(';');
    if (close == std::string_view::npos || (comment < close && Blank(line[comment - 1]))) return;
    stream.file->headers.push_back({std::string(line.substr(1, close - 1)), stream.line});
    stream.keySinceHeader = false;
}

// fgets over a string, one call per line: inih asks for one line at a time, so its line numbers are
// ours. A line longer than inih's buffer is handed over up to the buffer's end, cut back to a whole
// UTF-8 character, and the rest of it is skipped rather than read as lines of its own.
char* ReadLine(char* buffer, int size, void* user) {
    auto* stream = static_cast<Stream*>(user);
    const std::string& text = *stream->text;
    if (stream->offset >= text.size() || size <= 1) return nullptr;
    std::size_t end = text.find('\n', stream->offset);
    end = end == std::string::npos ? text.size() : end + 1;
    std::size_t length = end - stream->offset;
    ++stream->line;
    NoteHeader(*stream, std::string_view(text).substr(stream->offset, length));
    if (length > static_cast<std::size_t>(size - 1)) {
        if (stream->file->firstLongLine == 0) stream->file->firstLongLine = stream->line;
        length = static_cast<std::size_t>(size - 1);
        while (length > 0 && (static_cast<unsigned char>(text[stream->offset + length]) & 0xC0) == 0x80) --length;
    }
    std::memcpy(buffer, text.data() + stream->offset, length);
    buffer[length] = '\0';
    stream->offset = end;
    return buffer;
}

int OnEntry(void* user, const char* section, const char* key, const char* value) {
    auto* stream = static_cast<Stream*>(user);
    if (key == nullptr) return 1; // a section header alone (inih's INI_CALL_HANDLER_ON_NEW_SECTION)
    stream->file->entries.push_back({section, key, value ? value : "", stream->line});
    stream->keySinceHeader = true;
    return 1;
}

// inih goes on past a bad line and returns the number of the first one.
void ParseInto(const std::string& text, File* file) {
    Stream stream{&text, 0, 0, file, false};
    int bad = ini_parse_stream(ReadLine, &stream, OnEntry, &stream);
    if (bad > 0) file->firstBadLine = bad;
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

} // namespace platform::ini
