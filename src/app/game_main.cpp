// The whole run of the game process: flags, content folder, then create, run and shut down.
#include "app/game_main.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/application.h"
#include "app/automation/automation.h"
#include "platform/fs/directory.h"
#include "player/difficulty.h"
#include "records/save_folder.h"
#include "scenes/ghost_racer.h"

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

// Where saves go, how hard the computer racers fly and whether the ghost comes along. Automated
// runs (scripted, headless or on the fixed clock) leave a player's saves alone unless given a
// folder: a replay must not depend on, or change, what an earlier run saved.
void ApplyRaceChoices(const LaunchFlags& flags) {
    const bool automated = flags.headless || flags.fixedClock || !flags.inputFile.empty();
    std::string folder = automated ? std::string() : records::DefaultSaveFolder();
    if (!flags.dataHome.empty()) {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(flags.dataHome, ec);
        folder = ec ? flags.dataHome : absolute.string();
    }
    records::SetSaveFolder(folder);
    if (flags.difficulty) SetDifficulty(*flags.difficulty);
    if (flags.ghost) SetGhostEnabled(*flags.ghost);
}
} // namespace

int RunGame(int argc, char** argv) {
    LaunchFlags flags;
    std::string error;
    if (!ParseLaunchFlags(argc, argv, &flags, &error)) {
        std::fprintf(stderr, "orlenda: %s\n%s", error.c_str(), LaunchFlagsUsage());
        return 2;
    }
    if (flags.help) {
        std::fputs(LaunchFlagsUsage(), stdout);
        return 0;
    }
    Automation automation(flags);
    if (!automation.Open(&error)) {
        std::fprintf(stderr, "orlenda: %s\n", error.c_str());
        return 2;
    }
    ApplyRaceChoices(flags);
    FindContent();
    Application& application = Application::Instance();
    automation.Configure(application);
    if (!application.Create(nullptr)) return 1;
    automation.LoopStarting();
    application.Run();
    application.Shutdown();
    automation.Finish();
    return 0;
}
