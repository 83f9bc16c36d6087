// The application's settings, handed out one accessor at a time.
#include "app/settings/settings_in_force.h"

#include "app/application.h"

Settings& CurrentSettings() { return Application::Instance().settings; }
const std::string& CurrentSettingsPath() { return Application::Instance().settingsPath; }
bool SettingsWritable() { return Application::Instance().settingsWritable; }
