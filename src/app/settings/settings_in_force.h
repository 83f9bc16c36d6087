// The settings the application holds for this run, for screens that show or change them without
// reaching into the application object.
#pragma once

#include <string>

#include "app/settings/settings.h"

Settings& CurrentSettings();
// The file the options screen saves to ("" when there is none) and whether it may write it there.
const std::string& CurrentSettingsPath();
bool SettingsWritable();
