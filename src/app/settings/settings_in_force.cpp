// Saving what the player changed in the settings in force.
#include "app/settings/settings_in_force.h"

#include "app/settings/settings_file.h"

bool SettingsInForce::SaveChanges(const Settings& before, std::string* message) const {
    if (values == before) return true;
    if (!keptBecause.empty()) return *message = "changes kept for this run only: " + keptBecause, false;
    std::string error;
    if (SaveSettingsChanges(path, before, values, &error)) return true;
    *message = "not saved: " + error;
    return false;
}
