// Atomic file replacement on POSIX: mkstemp, write, fsync, rename, fsync of the folder.
#include "platform/fs/atomic_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace platform::fs {
namespace {
bool Fail(const std::string& path, int code, std::string* error) {
    if (error) *error = path + ": " + std::strerror(code);
    return false;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void SyncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
    std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) return Fail(folder.string(), ec.value(), error);
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return Fail(path, errno, error);
    bool written = WriteAll(fd, text);
    int code = errno;
    if (written && ::fsync(fd) != 0) written = false, code = errno;
    if (::close(fd) != 0 && written) written = false, code = errno;
    if (written && ::rename(name.data(), path.c_str()) != 0) written = false, code = errno;
    if (!written) {
        ::unlink(name.data());
        return Fail(path, code ? code : EIO, error);
    }
    SyncFolder(folder);
    return true;
}
} // namespace platform::fs
