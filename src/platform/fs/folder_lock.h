// An advisory lock that several running games take on a folder they all save into.
//
// Stands in for: LockFileEx on a file every instance opens. Here it is flock(2), exclusive, on a
// lock file inside the folder (created when missing, never removed: a game that removed it could
// leave two games holding locks on two different files). The kernel lets go when the holder
// closes it or dies, so a killed game never leaves the folder locked. Taking it waits a bounded
// time, then fails, so a game stopped while holding it cannot hang another.
// Does not: keep out programs that do not take it (it is advisory), promise anything on network
// file systems where flock is emulated or ignored, or create the folder.
#pragma once

#include <chrono>
#include <string>

namespace platform::fs {

class FolderLock {
public:
    enum class Result {
        Taken,
        Busy,   // another holder kept it for the whole wait
        Failed, // the lock file cannot be opened or locked at all
    };

    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock() { Release(); }

    // Takes the lock on `lockFile`, waiting up to `wait`; otherwise the reason in `error`.
    Result Acquire(const std::string& lockFile, std::chrono::milliseconds wait, std::string* error);
    void Release();
    bool Held() const { return fd >= 0; }

private:
    int fd = -1;
};

} // namespace platform::fs
