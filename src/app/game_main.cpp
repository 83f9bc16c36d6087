// The whole run of the game process: flags, content folder, then create, run and shut down.
#include "app/game_main.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/application.h"
#include "app/automation/automation.h"
#include "app/content_search.h"
#include "app/language.h"
#include "app/version.h"
#include "app/settings/controls_list.h"
#include "app/settings/settings_file.h"
#include "map/course_list.h"
#include "net/content_checksum.h"
#include "net/net_race.h"
#include "platform/fs/directory.h"
#include "platform/window/message_box.h"
#include "records/save_folder.h"

namespace {
// Exit statuses: a start-up or automation failure, and flags that cannot be run.
constexpr int kFailed = 1;
constexpr int kBadFlags = 2;

// Makes the content folder the working directory, as every content path is relative to it.
// Without content there is nothing to play: one box names every place searched.
bool FindContent() {
    const char* environment = std::getenv("ORLENDA_DATA");
    std::error_code ec;
    std::string working = std::filesystem::current_path(ec).string();
    std::vector<ContentPlace> places = ContentPlaces(environment, working, platform::fs::ExecutableFolder());
    if (environment && *environment && !platform::fs::IsDirectory(places.front().folder + "/data"))
        std::fprintf(stderr, "orlenda: ORLENDA_DATA=%s holds no data/ folder; looking further\n", environment);
    std::string folder = FindContentFolder(places);
    if (!folder.empty() && platform::fs::ChangeDirectory(folder)) return true;
    std::string message = ContentMissingMessage(places, environment);
    if (platform::message_box::CurrentMode() == platform::message_box::Mode::Interactive)
        std::fprintf(stderr, "orlenda: %s\n", message.c_str()); // automatic boxes echo themselves
    MessageBoxA(nullptr, message.c_str(), "Orlenda", MB_OK | MB_ICONERROR);
    return false;
}
// The folder FindContent made the working directory.
std::string ContentFolder() {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

// The settings file in force, with one stderr line for each thing in it that could not be used.
// Scripted and headless runs save only to a file --config names, never to the player's own.
void LoadSettingsInto(SettingsInForce& settings, const LaunchFlags& flags) {
    settings.path = flags.configFile.empty() ? DefaultSettingsPath() : flags.configFile;
    if (settings.path.empty()) {
        settings.keptBecause = "no settings folder (set HOME or use --config)";
        return;
    }
    // The game may change its working directory to find its content; the options save where asked.
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(settings.path, ec);
    if (!ec) settings.path = absolute.string();
    if ((flags.headless || !flags.inputFile.empty()) && flags.configFile.empty())
        settings.keptBecause = "a scripted or headless run saves settings only to a file named by --config";
    LoadedSettings loaded = LoadSettings(settings.path);
    for (const std::string& message : loaded.messages) std::fprintf(stderr, "settings: %s\n", message.c_str());
    settings.values = loaded.settings;
    if (!loaded.writable && settings.keptBecause.empty())
        settings.keptBecause = settings.path + " could not be read at start, so it is left as it was";
}

void PrintHelp(const SettingsInForce& settings) {
    std::fputs(LaunchFlagsUsage().c_str(), stdout);
    const std::string& path = settings.path;
    std::printf("\nkeys (%s):\n%s", path.empty() ? "no settings file" : path.c_str(),
                ControlsText(settings.values.keys, settings.values.keys2).c_str());
}

// Where saves go. Automated runs (scripted, headless or on the fixed clock) leave a player's saves
// alone unless given a folder: a replay must not depend on, or change, what an earlier run saved.
void ChooseSaveFolder(const LaunchFlags& flags) {
    const bool automated = flags.headless || flags.fixedClock || !flags.inputFile.empty();
    std::string folder = automated ? std::string() : records::DefaultSaveFolder();
    if (!flags.dataHome.empty()) {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(flags.dataHome, ec);
        folder = ec ? flags.dataHome : absolute.string();
    }
    records::SetSaveFolder(folder);
}

// The course file, then the flag or the script's header that chooses from it. -1 goes on with the
// game; otherwise the exit status.
int ChooseCourse(const LaunchFlags& flags, const std::string& scriptCourse) {
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
    if (!scriptCourse.empty() && !list.Select(scriptCourse)) {
        std::fprintf(stderr, "orlenda: %s: no course \"%s\" (orlenda --list-courses shows them)\n",
                     flags.inputFile.c_str(), scriptCourse.c_str());
        return 2;
    }
    return -1;
}
// Where a desync report goes: beside the trace, else in the save folder (none: no report).
std::string ReportFolder(const LaunchFlags& flags) {
    std::error_code ec;
    if (!flags.traceFile.empty()) return std::filesystem::absolute(flags.traceFile, ec).parent_path().string();
    return records::SaveFolder();
}

// The user's login name as the name online, when it fits (1 to 24 printable characters). Scripted
// runs go without it, so what they print does not depend on who runs them.
std::string UserName(const LaunchFlags& flags) {
    const char* user = std::getenv("USER");
    if (flags.headless || !flags.inputFile.empty() || flags.fixedClock || !user) return {};
    const std::string name = user;
    const bool fits = !name.empty() && name.size() <= 24 &&
                      std::all_of(name.begin(), name.end(), [](char c) { return c > ' ' && c < 127; });
    return fits ? name : std::string();
}

// What every online race of this run shares, whoever opens it (--host, --join or the lobby).
net::NetOptions OnlineOptions(const LaunchFlags& flags, const SettingsInForce& settings,
                              const std::string& reportFolder) {
    net::NetOptions options;
    options.name = !flags.name.empty()             ? flags.name
                   : !settings.values.name.empty() ? settings.values.name
                                                   : UserName(flags);
    options.inputDelay = flags.inputDelay.value_or(static_cast<std::uint32_t>(settings.values.inputDelay));
    options.peersWanted = flags.peers;
    options.gameVersion = kOrlendaVersion;
    options.reportFolder = reportFolder;
    options.printStats = flags.stats;
    options.flight = net::FlightFingerprint();
    const CourseList& list = CourseList::Instance();
    std::vector<CourseEntry> courses = list.courses;
    if (courses.empty()) courses.push_back(list.Selected());
    for (const CourseEntry& course : courses)
        options.courses.push_back({course.id, net::CourseChecksum(course.mapPath, course.start, course.heading)});
    return options;
}

// --host or --join: the link is made (and the handshake done) before the first frame.
std::unique_ptr<net::NetRace> OpenOnline(const LaunchFlags& flags, net::NetOptions options, std::string* error) {
    if (!flags.hostPort && flags.joinHost.empty()) return nullptr;
    options.hosting = flags.hostPort.has_value();
    options.address = options.hosting ? std::string() : flags.joinHost;
    options.port = options.hosting ? *flags.hostPort : flags.joinPort;
    return net::NetRace::Open(options, error);
}

} // namespace

int RunGame(int argc, char** argv) {
    LaunchFlags flags;
    std::string error;
    if (!ParseLaunchFlags(argc, argv, &flags, &error)) {
        std::fprintf(stderr, "orlenda: %s\n(orlenda --help lists the flags)\n", error.c_str());
        return kBadFlags;
    }
    if (flags.version) {
        std::printf("orlenda %s\n", kOrlendaVersion);
        return 0;
    }
    Application& application = Application::Instance();
    LoadSettingsInto(application.settings, flags);
    if (flags.help) {
        PrintHelp(application.settings);
        return 0;
    }
    Automation automation(flags);
    int status = 0;
    if (!automation.Open(&error, &status)) {
        std::fprintf(stderr, "orlenda: %s\n", error.c_str());
        return status;
    }
    ChooseSaveFolder(flags);
    const std::string reportFolder = ReportFolder(flags);
    automation.Configure(application);
    if (!FindContent()) return kFailed;
    StartLanguage(flags.language.value_or(application.settings.values.language), ContentFolder());
    if (int chosen = ChooseCourse(automation.Flags(), automation.ScriptCourse()); chosen >= 0) return chosen;
    error.clear();
    const net::NetOptions onlineOptions = OnlineOptions(flags, application.settings, reportFolder);
    std::unique_ptr<net::NetRace> online = OpenOnline(flags, onlineOptions, &error);
    if (!online && !error.empty()) {
        std::fprintf(stderr, "orlenda: %s\n", error.c_str());
        return kFailed;
    }
    if (online && !flags.joinHost.empty())
        RememberJoin(application.settings, flags.joinHost + ":" + std::to_string(flags.joinPort));
    application.session.onlineName = onlineOptions.name;
    application.session.openOnline = [onlineOptions](bool hosting, const std::string& address, std::uint16_t port,
                                                     std::string* why) -> std::shared_ptr<net::NetRace> {
        net::NetOptions options = onlineOptions;
        options.hosting = hosting;
        options.address = address;
        options.port = port;
        return net::NetRace::Connect(options, why);
    };
    if (!application.Create(nullptr)) return kFailed;
    application.session.online = online.get();
    automation.LoopStarting();
    application.Run();
    automation.LoopEnded();
    // The scenes let go first: a race scene started from the lobby still points at the lobby's race
    // and closes it as it is released, so the race must outlive them.
    application.Shutdown();
    if (online) online->Close();
    if (application.session.lobby) application.session.lobby->Close();
    application.session.online = nullptr;
    application.session.lobby.reset();
    const bool finished = automation.Finish();
    if (!application.checks.failure.empty()) {
        std::fprintf(stderr, "orlenda: %s\n", application.checks.failure.c_str());
        return kFailed;
    }
    return finished ? 0 : kFailed;
}
