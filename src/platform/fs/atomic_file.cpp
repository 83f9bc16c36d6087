// Temp file + fsync + rename over POSIX calls; errors come back as strerror text.
#include "platform/fs/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The rename is only durable once the folder's own entry list reaches the disk.
void SyncFolder(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
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

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    const std::string temporary = path + ".tmp-" + std::to_string(::getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(error, "cannot create " + temporary);
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
        Fail(error, "cannot write " + temporary);
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        Fail(error, "cannot replace " + path);
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(path);
    return true;
}

std::string MoveAside(const std::string& path, std::string* error) {
    const std::string base = path + ".unreadable-" + TimestampNow();
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
