// The whole run of the game process: flags, content folder, then create, run and shut down.
#include "app/game_main.h"

#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/automation/automation.h"
#include "map/course_list.h"
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

// The course file, then the flags that read it. -1 goes on with the game; otherwise the exit status.
int ChooseCourse(const LaunchFlags& flags) {
    CourseList& list = CourseList::Instance();
    if (!list.Load(CourseList::kPath)) {
        std::fprintf(stderr, "orlenda: no course can be raced: every entry of %s is missing files or invalid\n",
                     CourseList::kPath);
        return 1;
    }
    if (flags.listCourses) {
        if (list.courses.empty()) std::printf("%s\t%s\n", list.Selected().id.c_str(), list.Selected().name.c_str());
        for (const CourseEntry& course : list.courses) std::printf("%s\t%s\n", course.id.c_str(), course.name.c_str());
        return 0;
    }
    if (!flags.course.empty() && !list.Select(flags.course)) {
        std::fprintf(stderr, "orlenda: no course \"%s\" (orlenda --list-courses shows them)\n", flags.course.c_str());
        return 2;
    }
    return -1;
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
    if (int status = ChooseCourse(flags); status >= 0) return status;
    Application& application = Application::Instance();
    automation.Configure(application);
    if (!application.Create(nullptr)) return 1;
    automation.LoopStarting();
    application.Run();
    application.Shutdown();
    automation.Finish();
    return 0;
}
