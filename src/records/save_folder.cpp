// The save folder: chosen once at start-up, created on the first save, given up on the first refusal.
#include "records/save_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/fs/atomic_file.h"

namespace records {

namespace {
struct State {
    std::string folder;
    bool refused = false;
};

State& Current() {
    static State state;
    return state;
}

// A save killed half-way leaves its temporary file behind; the next save of that name clears it.
void RemoveLeftovers(const std::string& folder, const std::string& name) {
    std::error_code ec;
    const std::string prefix = name + ".tmp-";
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) std::filesystem::remove(entry.path(), ec);
}
} // namespace

const std::string& SaveFolder() { return Current().folder; }

void SetSaveFolder(const std::string& folder) {
    Current().folder = folder;
    Current().refused = false;
}

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

bool SaveFile(const std::string& name, const std::string& bytes) {
    State& state = Current();
    if (state.folder.empty() || state.refused) return false;
    std::string error;
    if (platform::fs::MakeFolders(state.folder, &error)) {
        RemoveLeftovers(state.folder, name);
        if (platform::fs::WriteFileAtomically(SavePath(name), bytes, &error)) return true;
    }
    state.refused = true;
    std::fprintf(stderr, "records: %s; nothing more is saved this run\n", error.c_str());
    return false;
}

void SetAside(const std::string& path, const std::string& tag, const std::string& reason, const char* goingOn) {
    std::string error;
    const std::string aside = platform::fs::MoveAside(path, &error);
    if (aside.empty()) {
        // Left where it is, and never overwritten: saving stops instead.
        Current().refused = true;
        std::fprintf(stderr, "%s: %s: %s; %s; %s and nothing is saved this run\n", tag.c_str(), path.c_str(),
                     reason.c_str(), error.c_str(), goingOn);
        return;
    }
    std::fprintf(stderr, "%s: %s: %s; moved aside to %s; %s\n", tag.c_str(), path.c_str(), reason.c_str(),
                 aside.c_str(), goingOn);
}

std::uint64_t Checksum(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace records
