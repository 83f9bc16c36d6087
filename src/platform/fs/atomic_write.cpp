// Atomic file replacement on POSIX: mkstemp, write, fsync, rename, fsync of the folder.
#include "platform/fs/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
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

// The file a path finally names: a symbolic link is followed (a dangling one to where it points), so
// the link itself stays. Past a few dozen links (a loop) the path is taken as it is.
std::filesystem::path FollowLinks(std::filesystem::path path) {
    constexpr int kMostLinks = 40;
    for (int i = 0; i < kMostLinks; ++i) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec)) || ec) return path;
        std::filesystem::path target = std::filesystem::read_symlink(path, ec);
        if (ec) return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

void SyncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

bool WriteFileAtomically(const std::string& linkOrPath, const std::string& text, std::string* error) {
    const std::filesystem::path target = FollowLinks(linkOrPath);
    const std::string path = target.string();
    std::filesystem::path folder = target.parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) return Fail(folder.string(), ec.value(), error);
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return Fail(path, errno, error);
    // The replacement keeps the permissions of the file it replaces (a new file is the owner's alone).
    struct stat old {};
    bool written = ::stat(path.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0;
    written = written && WriteAll(fd, text);
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
