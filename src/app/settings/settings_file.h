// The settings file: an INI file read at start and written only when the player changes
// something in the options screen.
//
// Reading never fails: every bad entry gives one message naming its line and what is used instead,
// and the rest of the file still counts. A file that exists but cannot be read whole (no access,
// a line that is not an entry, a newer version) is never overwritten. Writing goes to a temporary
// file in the same folder, which is flushed, synced and renamed over the old one.
#pragma once

#include <string>
#include <vector>

#include "app/settings/settings.h"

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
std::string FormatSettings(const Settings& settings);
// Atomic write; false with the reason, the old file untouched.
bool SaveSettings(const std::string& path, const Settings& settings, std::string* error);
