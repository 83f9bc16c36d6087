// FolderLock on flock(2), polled so that the wait is bounded.
#include "platform/fs/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace platform::fs {

namespace {
constexpr std::chrono::milliseconds kPoll{5};
}

FolderLock::Result FolderLock::Acquire(const std::string& lockFile, std::chrono::milliseconds wait,
                                       std::string* error) {
    Release();
    const int file = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0) {
        if (error) *error = "cannot open " + lockFile + ": " + std::strerror(errno);
        return Result::Failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(file, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        if (code == EINTR) continue;
        if (code != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            if (error)
                *error = code == EWOULDBLOCK ? lockFile + " is held by another game"
                                             : "cannot lock " + lockFile + ": " + std::strerror(code);
            ::close(file);
            return code == EWOULDBLOCK ? Result::Busy : Result::Failed;
        }
        std::this_thread::sleep_for(kPoll);
    }
    fd = file;
    return Result::Taken;
}

void FolderLock::Release() {
    if (fd < 0) return;
    ::close(fd); // closing the only descriptor drops the flock
    fd = -1;
}

} // namespace platform::fs
