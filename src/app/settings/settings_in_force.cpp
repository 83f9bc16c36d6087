// Saving what the player changed in the settings in force.
#include "app/settings/settings_in_force.h"

#include <cstdio>

#include "app/settings/settings_file.h"

namespace {
// Another game holds the lock for a few milliseconds while it saves; a game stopped while holding
// it costs this run's change, not a frozen options screen.
constexpr std::chrono::milliseconds kLockWait{2000};
} // namespace

bool SettingsInForce::SaveChanges(const Settings& before, std::string* message) const {
    if (values == before) return true;
    if (!keptBecause.empty()) return *message = "changes kept for this run only: " + keptBecause, false;
    std::string error;
    platform::fs::FolderLock lock;
    if (!LockSettingsFile(path, &lock, kLockWait, &error))
        return *message = "changes kept for this run only: " + error, false;
    if (SaveSettingsChanges(path, before, values, &error)) return true;
    *message = "not saved: " + error;
    return false;
}

void RememberJoin(SettingsInForce& settings, const std::string& address) {
    const Settings before = settings.values;
    settings.values.lastJoin = address;
    std::string message;
    if (settings.keptBecause.empty() && !settings.SaveChanges(before, &message))
        std::fprintf(stderr, "settings: %s\n", message.c_str());
}
