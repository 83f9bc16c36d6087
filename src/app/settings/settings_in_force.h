// The settings of this run: the file's, then the flags'. The shell owns one and hands it to every
// scene, as it hands the window; every screen shows and edits these values.
#pragma once

#include <string>

#include "app/settings/settings.h"

struct SettingsInForce {
    Settings values;
    std::string path; // the file the options screen saves to; "" when there is none
    // Empty when the options screen may write `path`; else why changes last for this run only.
    std::string keptBecause;

    // Writes to the file the settings that changed since `before` (the values when the options
    // screen opened), and only those: a value a flag set stays out of the file unless the player
    // changed it. The read, compare and write happen under the file's lock (LockSettingsFile); when
    // another game keeps it, the change lasts for this run only. False with a line for stderr when
    // nothing could be written.
    bool SaveChanges(const Settings& before, std::string* message) const;
};

// An online race was joined at `address` (HOST:PORT): remembered for the next time, saved as the
// options screen saves; a line for stderr when it could not be.
void RememberJoin(SettingsInForce& settings, const std::string& address);
