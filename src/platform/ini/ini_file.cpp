// INI reading on inih: a line-counting reader gives each entry its line number.
#include "platform/ini/ini_file.h"

#include <ini.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform::ini {
namespace {

struct Stream {
    const std::string* text = nullptr;
    std::size_t offset = 0;
    int line = 0; // the line inih is handling now
    File* file = nullptr;
};

// fgets over a string: inih asks for one line at a time, so counting calls counts lines.
char* ReadLine(char* buffer, int size, void* user) {
    auto* stream = static_cast<Stream*>(user);
    const std::string& text = *stream->text;
    if (stream->offset >= text.size() || size <= 1) return nullptr;
    std::size_t end = text.find('\n', stream->offset);
    end = end == std::string::npos ? text.size() : end + 1;
    std::size_t length = std::min<std::size_t>(end - stream->offset, static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data() + stream->offset, length);
    buffer[length] = '\0';
    // A line longer than inih's buffer arrives in pieces; count it once, when its end is read.
    if (stream->offset + length == end) ++stream->line;
    stream->offset += length;
    return buffer;
}

int OnEntry(void* user, const char* section, const char* key, const char* value) {
    auto* stream = static_cast<Stream*>(user);
    if (key == nullptr) return 1; // a section header alone (inih's INI_CALL_HANDLER_ON_NEW_SECTION)
    stream->file->entries.push_back({section, key, value ? value : "", stream->line});
    return 1;
}

// inih goes on past a bad line and returns the number of the first one.
void ParseInto(const std::string& text, File* file) {
    Stream stream{&text, 0, 0, file};
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
