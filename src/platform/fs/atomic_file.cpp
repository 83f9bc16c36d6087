// Whole-file reads and setting files aside; errors come back as strerror text.
#include "platform/fs/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform::fs {

namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

std::string TimestampNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return Fail(error, "cannot open " + path);
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) return Fail(error, "cannot read " + path);
    *bytes = contents.str();
    return true;
}

bool ReadFileHead(const std::string& path, std::size_t most, std::string* head, std::uint64_t* size,
                  std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(error, "cannot open " + path);
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        Fail(error, "cannot read " + path);
        ::close(fd);
        return false;
    }
    std::string bytes(std::min<std::size_t>(most, static_cast<std::size_t>(status.st_size)), '\0');
    std::size_t done = 0;
    bool failed = false;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) failed = true;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    if (failed) Fail(error, "cannot read " + path);
    ::close(fd);
    if (failed) return false;
    bytes.resize(done); // the file shrank while it was read
    *head = std::move(bytes);
    *size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

std::string MoveAside(const std::string& path, const std::string& label, std::string* error) {
    const std::string base = path + "." + label + "-" + TimestampNow();
    std::string target = base;
    for (int n = 2; std::filesystem::exists(target); ++n) target = base + "-" + std::to_string(n);
    if (::rename(path.c_str(), target.c_str()) != 0) {
        Fail(error, "cannot rename " + path);
        return {};
    }
    return target;
}

bool MakeFolders(const std::string& path, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec || !std::filesystem::is_directory(path)) {
        if (error) *error = "cannot create " + path + ": " + (ec ? ec.message() : "not a folder");
        return false;
    }
    return true;
}

} // namespace platform::fs
