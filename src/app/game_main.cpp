// The whole run of the game process: flags, content folder, then create, run and shut down.
#include "app/game_main.h"

#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/automation/automation.h"
#include "platform/fs/directory.h"

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
    FindContent();
    Application& application = Application::Instance();
    automation.Configure(application);
    if (!application.Create(nullptr)) return 1;
    automation.LoopStarting();
    application.Run();
    automation.LoopEnded();
    application.Shutdown();
    automation.Finish();
    return 0;
}
