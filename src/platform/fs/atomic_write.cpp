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

std::string TemporaryPrefix(const std::string& path) { return path + ".tmp-"; }

// The writer's process id from "PATH.tmp-PID-XXXXXX"; 0 for names without one (older saves).
long TemporaryOwner(const std::string& name, std::size_t prefixLength) {
    const std::size_t dash = name.find('-', prefixLength);
    if (dash == std::string::npos || dash == prefixLength) return 0;
    long pid = 0;
    for (std::size_t k = prefixLength; k < dash; ++k) {
        if (name[k] < '0' || name[k] > '9' || pid > 1'000'000'000) return 0;
        pid = pid * 10 + (name[k] - '0');
    }
    return pid;
}

void SyncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

std::string FileBehindLinks(const std::string& path) { return FollowLinks(path).string(); }

bool WriteFileAtomically(const std::string& linkOrPath, const std::string& text, std::string* error) {
    const std::filesystem::path target = FollowLinks(linkOrPath);
    const std::string path = target.string();
    std::filesystem::path folder = target.parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) return Fail(folder.string(), ec.value(), error);
    std::string pattern = TemporaryPrefix(path) + std::to_string(::getpid()) + "-XXXXXX";
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

int RemoveStaleTemporaries(const std::string& path, std::chrono::seconds age) {
    namespace stdfs = std::filesystem;
    const stdfs::path target(path);
    const stdfs::path folder = target.parent_path().empty() ? stdfs::path(".") : target.parent_path();
    const std::string prefix = TemporaryPrefix(target.filename().string());
    const auto now = stdfs::file_time_type::clock::now();
    int removed = 0;
    std::error_code ec;
    for (stdfs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        std::error_code timeError;
        const auto written = stdfs::last_write_time(it->path(), timeError);
        const bool mine = TemporaryOwner(name, prefix.size()) == ::getpid();
        const bool old = !timeError && now - written > age;
        if ((mine || old) && stdfs::remove(it->path(), timeError)) ++removed;
    }
    return removed;
}
} // namespace platform::fs
