// The save folder: chosen once at start-up, created on the first save, locked around each read
// and write, given up on the first refusal.
#include "records/save_folder.h"

#include <cstdio>
#include <cstdlib>
#include <set>

#include "platform/fs/atomic_file.h"
#include "platform/fs/directory.h"

namespace records {

namespace {
constexpr const char* kLockName = "records.lock";
// Long enough for another game's save to finish; short enough that a game stopped while holding
// the lock costs one race's save, not a hang.
constexpr std::chrono::milliseconds kLockWait{5000};
// A temporary file this old was left by a killed save; a younger one may be another game's
// save about to be renamed into place.
constexpr std::chrono::seconds kLeftoverAge{60};

struct State {
    std::string folder;
    bool refused = false;
    std::set<std::string> heldBack;
};

State& Current() {
    static State state;
    return state;
}
} // namespace

const std::string& SaveFolder() { return Current().folder; }

void SetSaveFolder(const std::string& folder) { Current() = State{folder, false, {}}; }

std::string DefaultSaveFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data) return std::string(data) + "/orlenda";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.local/share/orlenda";
    return {};
}

std::string SavePath(const std::string& name) {
    const std::string& folder = SaveFolder();
    return folder.empty() ? std::string() : folder + "/" + name;
}

bool LockSaveFolder(platform::fs::FolderLock* lock, bool create, const char* goingOn) {
    const std::string& folder = SaveFolder();
    if (folder.empty() || (create && Current().refused)) return false;
    std::string error;
    if (create && !platform::fs::MakeFolders(folder, &error)) {
        std::fprintf(stderr, "records: %s; nothing more is saved this run\n", error.c_str());
        Current().refused = true;
        return false;
    }
    if (!create && !platform::fs::IsDirectory(folder)) return false;
    using Result = platform::fs::FolderLock::Result;
    const Result result = lock->Acquire(SavePath(kLockName), kLockWait, &error);
    if (result == Result::Busy) std::fprintf(stderr, "records: %s; %s\n", error.c_str(), goingOn);
    if (result != Result::Failed) return result == Result::Taken;
    // A folder where the lock file cannot even be made will not take a save either.
    if (!Current().refused) std::fprintf(stderr, "records: %s; nothing more is saved this run\n", error.c_str());
    Current().refused = true;
    return false;
}

bool SaveFile(const std::string& name, const std::string& bytes) {
    State& state = Current();
    if (state.folder.empty() || state.refused) return false;
    std::string error;
    if (platform::fs::MakeFolders(state.folder, &error)) {
        platform::fs::RemoveStaleTemporaries(SavePath(name), kLeftoverAge);
        if (platform::fs::WriteFileAtomically(SavePath(name), bytes, &error)) return true;
    }
    state.refused = true;
    std::fprintf(stderr, "records: %s; nothing more is saved this run\n", error.c_str());
    return false;
}

void SetAside(const std::string& path, const std::string& label, const std::string& tag, const std::string& reason,
              const std::string& goingOn) {
    std::string error;
    const std::string aside = platform::fs::MoveAside(path, label, &error);
    if (aside.empty()) {
        // Left where it is, and never overwritten: saving stops instead.
        Current().refused = true;
        std::fprintf(stderr, "%s: %s: %s; %s; %s and nothing is saved this run\n", tag.c_str(), path.c_str(),
                     reason.c_str(), error.c_str(), goingOn.c_str());
        return;
    }
    std::fprintf(stderr, "%s: %s: %s; moved aside to %s; %s\n", tag.c_str(), path.c_str(), reason.c_str(),
                 aside.c_str(), goingOn.c_str());
}

bool HoldBack(const std::string& key) { return Current().heldBack.insert(key).second; }

bool HeldBack(const std::string& key) { return Current().heldBack.count(key) > 0; }

std::uint64_t Checksum(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace records
