// The settings file: an INI file read at start and written only when the player changes
// something in the options screen.
//
// Reading never fails: every bad entry gives one message naming its line and what is used instead
// (at most 20, then one line counting the rest), and the rest of the file still counts. A file that
// exists but cannot be read whole (no access, a line that is not an entry, a newer version) is never
// overwritten. Saving changes only the lines of the settings that changed: comments, unknown
// entries, blank lines and the file's permissions stay. Writing goes to a temporary file beside the
// file (beside its target, for a symbolic link), which is flushed, synced and renamed over it, while
// the game holds the lock beside it that other games take to save the same file.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "app/settings/settings.h"
#include "platform/fs/folder_lock.h"

struct LoadedSettings {
    Settings settings;
    bool writable = true;              // false: leave the file as it is
    std::vector<std::string> messages; // "FILE:LINE: reason; using VALUE"
};

// $XDG_CONFIG_HOME/orlenda/settings.ini, else ~/.config/orlenda/settings.ini; empty without a home.
std::string DefaultSettingsPath();
// A missing file gives the defaults without a message.
LoadedSettings LoadSettings(const std::string& path);
LoadedSettings ParseSettings(const std::string& text, const std::string& fileName);
// Every setting as a whole new file.
std::string FormatSettings(const Settings& settings);
// Atomic write of the whole file; false with the reason, the old file untouched.
bool SaveSettings(const std::string& path, const Settings& settings, std::string* error);

// One entry of the file: where it goes and its value as written.
struct SettingLine {
    std::string section, key, value;
};
// Every entry for `settings`, in the file's order. A new setting is one more line here and one more
// case where the file is read.
std::vector<SettingLine> SettingLines(const Settings& settings);
// Writes into the file the settings that differ between `before` and `after`, each on the line the
// file already has for it (else added to its section), and nothing else. A file that does not exist
// yet gets every setting except those `after` holds for this run alone (different from the default
// but not changed since `before`: given by a flag). Nothing changed: nothing written. False with the
// reason, the file untouched, when it cannot be read whole or written.
bool SaveSettingsChanges(const std::string& path, const Settings& before, const Settings& after, std::string* error);
// The lock games sharing a settings file hold around saving it, so that one game's save never
// drops what another wrote between its read and its write: "FILE.lock" beside the file the path
// names (links followed), made with its folder when missing. False with the reason when another
// game held it for the whole `wait` or it cannot be made.
bool LockSettingsFile(const std::string& path, platform::fs::FolderLock* lock, std::chrono::milliseconds wait,
                      std::string* error);
