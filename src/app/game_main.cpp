// The whole run of the game process: flags, content folder, then create, run and shut down.
#include "app/game_main.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/application.h"
#include "app/automation/automation.h"
#include "app/settings/controls_list.h"
#include "app/settings/settings_file.h"
#include "platform/fs/directory.h"
#include "platform/window/message_box.h"

namespace {
// Content is read relative to the working directory; a game started from elsewhere looks beside
// its executable instead.
void FindContent() {
    if (platform::fs::IsDirectory("data")) return;
    std::string folder = platform::fs::ExecutableFolder();
    if (platform::fs::IsDirectory(folder + "data")) platform::fs::ChangeDirectory(folder);
    if (!platform::fs::IsDirectory("data"))
        std::fprintf(stderr, "orlenda: game content missing: no data/ folder here or beside the executable "
                             "(build it with `make build`); going on without it\n");
}
// The settings file in force, with one stderr line for each thing in it that could not be used.
void LoadSettingsInto(Application& application, const LaunchFlags& flags) {
    application.settingsPath = flags.configFile.empty() ? DefaultSettingsPath() : flags.configFile;
    // The game may change its working directory to find its content; the options save where asked.
    std::error_code ec;
    if (!application.settingsPath.empty()) {
        std::filesystem::path absolute = std::filesystem::absolute(application.settingsPath, ec);
        if (!ec) application.settingsPath = absolute.string();
    }
    LoadedSettings loaded = LoadSettings(application.settingsPath);
    for (const std::string& message : loaded.messages) std::fprintf(stderr, "settings: %s\n", message.c_str());
    application.settings = loaded.settings;
    application.settingsWritable = loaded.writable && !application.settingsPath.empty();
    if (application.settings.fullscreen == FullScreenChoice::Yes) application.options.fullScreenAnswer = IDYES;
    if (application.settings.fullscreen == FullScreenChoice::No) application.options.fullScreenAnswer = IDNO;
}

void PrintHelp(const Application& application) {
    std::fputs(LaunchFlagsUsage(), stdout);
    const std::string& path = application.settingsPath;
    std::printf("\nkeys (%s):\n%s", path.empty() ? "no settings file" : path.c_str(),
                ControlsText(application.settings.keys).c_str());
}
} // namespace

int RunGame(int argc, char** argv) {
    LaunchFlags flags;
    std::string error;
    if (!ParseLaunchFlags(argc, argv, &flags, &error)) {
        std::fprintf(stderr, "orlenda: %s\n%s", error.c_str(), LaunchFlagsUsage());
        return 2;
    }
    Application& application = Application::Instance();
    LoadSettingsInto(application, flags);
    if (flags.help) {
        PrintHelp(application);
        return 0;
    }
    Automation automation(flags);
    if (!automation.Open(&error)) {
        std::fprintf(stderr, "orlenda: %s\n", error.c_str());
        return 2;
    }
    FindContent();
    automation.Configure(application);
    if (!application.Create(nullptr)) return 1;
    automation.LoopStarting();
    application.Run();
    application.Shutdown();
    automation.Finish();
    return 0;
}
