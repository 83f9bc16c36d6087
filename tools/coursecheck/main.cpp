// coursecheck: races every computer racer (and the player's automatic pilot) round courses headless,
// one race per seed, prints how each got round and exits non-zero when a course fails its checks.
// It loads the map as the game does and steps the race itself; nothing is drawn or played.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "contest.h"
#include "map/course_builder.h"
#include "map/course_list.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "race_monitor.h"
#include "race/step.h"
#include "render/graphics_device.h"
#include "simplelib/resource_cache.h"

namespace {

constexpr std::int64_t kDefaultFrameLimit = 20000; // race updates before a racer counts as lost
constexpr double kFrameSeconds = 0.016;

struct Options {
    std::vector<std::string> courses;
    std::vector<unsigned> seeds{1, 2, 3};
    int minDetours = 0;
    bool noTouch = false;
    std::int64_t frameLimit = kDefaultFrameLimit;
    bool contest = false;
    bool races = false;
    ContestOptions contestOptions;
};

const char* kUsage =
    "usage: coursecheck [--game DIR] [--seeds A-B|A,B,...] [--min-detours N] [--no-touch] [--frames N] COURSE...\n"
    "       coursecheck --contest [--kind championship|race|unnamed] [--levels easy,normal,hard] [--races]\n"
    "                         [--seeds ...] COURSE...\n"
    "  Races each COURSE (id or name from data/Map/courses.ini; `all` for every one) once per seed.\n"
    "  Fails when a racer does not finish, goes 600 updates without passing a checkpoint, flies with\n"
    "  collision off, detours fewer than N times (--min-detours) or touches scenery (--no-touch).\n"
    "  --contest: races each level with the player's racer on the automatic pilot against the rivals\n"
    "  of a championship race or a single race (or the unnamed racers at every level) and prints the\n"
    "  place changes, finishing against launch order, the pilot's places and the best rival's lead\n"
    "  (--races: every race's places and laps too); fails when a target is missed.\n";

bool ParseSeeds(const std::string& text, std::vector<unsigned>* seeds) {
    seeds->clear();
    if (std::size_t dash = text.find('-'); dash != std::string::npos) {
        unsigned first = unsigned(std::strtoul(text.substr(0, dash).c_str(), nullptr, 10));
        unsigned last = unsigned(std::strtoul(text.substr(dash + 1).c_str(), nullptr, 10));
        for (unsigned s = first; s <= last && s - first < 1000; ++s) seeds->push_back(s);
    } else {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t comma = text.find(',', start);
            std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            char* end = nullptr;
            unsigned long value = std::strtoul(part.c_str(), &end, 10);
            if (part.empty() || *end != '\0') return false;
            seeds->push_back(unsigned(value));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return !seeds->empty();
}

bool ParseField(const std::string& word, ContestField* field) {
    if (word == "championship") *field = ContestField::Championship;
    else if (word == "race") *field = ContestField::Race;
    else if (word == "unnamed") *field = ContestField::Unnamed;
    else return false;
    return true;
}

bool ParseLevels(const std::string& text, std::vector<Difficulty>* levels) {
    levels->clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        Difficulty level = Difficulty::Normal;
        if (!ParseDifficulty(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start),
                             &level))
            return false;
        levels->push_back(level);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--game" && hasValue) {
            std::error_code ec;
            std::filesystem::current_path(argv[++i], ec);
            if (ec) return std::fprintf(stderr, "coursecheck: cannot enter %s\n", argv[i]), false;
        } else if (arg == "--seeds" && hasValue) {
            if (!ParseSeeds(argv[++i], &options->seeds)) return false;
        } else if (arg == "--min-detours" && hasValue) {
            options->minDetours = std::atoi(argv[++i]);
        } else if (arg == "--frames" && hasValue) {
            options->frameLimit = std::atoll(argv[++i]);
        } else if (arg == "--no-touch") {
            options->noTouch = true;
        } else if (arg == "--contest") {
            options->contest = true;
        } else if (arg == "--races") {
            options->races = true;
        } else if (arg == "--kind" && hasValue) {
            if (!ParseField(argv[++i], &options->contestOptions.field)) return false;
        } else if (arg == "--levels" && hasValue) {
            if (!ParseLevels(argv[++i], &options->contestOptions.levels)) return false;
        } else if (!arg.empty() && arg[0] != '-') {
            options->courses.push_back(arg);
        } else {
            return false;
        }
    }
    return !options->courses.empty() && options->frameLimit > 0;
}

// The chosen course as the race sees it, from its map file.
race::Course LoadCourse() {
    CourseManager::ResetInstance();
    MapManager::ResetInstance();
    ResourceCache::ResetInstance();
    GraphicsDevice::ResetInstance();
    GraphicsDevice::Instance().InitNull(1280, 720);
    MapManager& map = MapManager::Instance();
    map.LoadMap();
    map.LoadModels(GraphicsDevice::Instance().device.get());
    CourseManager::Instance().CollectCheckPoints();
    return BuildCourse(map, CourseManager::Instance(), CourseList::Instance().Selected());
}

// One race on the course; every racer flies on the automatic pilot from the start.
std::vector<RacerReport> RunRace(const race::Course& course, unsigned seed, std::int64_t frameLimit) {
    race::RaceState state = race::NewRace(course, race::Grid{}, Difficulty::Normal, seed);
    for (std::size_t i = 0; i < state.racerCount; ++i) state.racers[i].autoPilot = 1; // what C does for a person
    RaceMonitor monitor(course, state.racerCount);
    for (std::int64_t frame = 0; frame < frameLimit + 1000; ++frame) {
        race::Step(state, course, {});
        if (!state.started) continue;
        monitor.Observe(state);
        if (monitor.AllFinished()) break;
    }
    return monitor.Reports();
}

std::string LapTime(const RacerReport& report) {
    if (!report.finished) return "  --  ";
    char text[32];
    const double seconds = double(report.lapFrames) * kFrameSeconds;
    std::snprintf(text, sizeof text, "%d:%05.2f", int(seconds / 60), seconds - 60 * int(seconds / 60));
    return text;
}

// Prints the seed's rows and returns the number of failed checks.
int Report(const std::string& course, unsigned seed, const std::vector<RacerReport>& reports, const Options& options) {
    int failures = 0;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const RacerReport& r = reports[i];
        std::string problems;
        if (!r.finished) problems += " no-finish";
        if (r.stuckWindows > 0) problems += " stuck";
        if (r.collisionOffFrames > 0) problems += " collision-off";
        if (r.detours < options.minDetours) problems += " few-detours";
        if (options.noTouch && r.sceneryTouches > 0) problems += " touched";
        failures += problems.empty() ? 0 : 1;
        std::printf("%-10s %4u  %-6s %8s %5d %5d %7d %5d %7d %6d %8d  %s\n", course.c_str(), seed,
                    i == 0 ? "player" : ("cpu" + std::to_string(i)).c_str(), LapTime(r).c_str(), r.place,
                    r.stuckWindows, r.detours, r.nearMisses, r.sceneryTouches, r.groundTouches, r.collisionOffFrames,
                    problems.empty() ? "ok" : ("FAIL" + problems).c_str());
    }
    return failures;
}

// The contest and ladder tables over every course; exit 1 when a target is missed.
int Contest(CourseList& list, const std::vector<std::string>& ids, Options& options) {
    options.contestOptions.seeds = options.seeds;
    options.contestOptions.frameLimit = options.frameLimit;
    std::vector<ContestRow> rows;
    for (const std::string& id : ids) {
        list.Select(id);
        const race::Course course = LoadCourse();
        if (course.checkPoints.empty()) {
            std::fprintf(stderr, "coursecheck: %s has no checkpoints\n", id.c_str());
            return 1;
        }
        for (ContestRow& row : RunContest(course, id, options.contestOptions)) rows.push_back(std::move(row));
    }
    return PrintContest(rows, options.contestOptions.field, options.races) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    CourseList& list = CourseList::Instance();
    if (!list.Load(CourseList::kPath)) return 1;
    std::vector<std::string> ids;
    for (const std::string& wanted : options.courses) {
        if (wanted == "all") {
            for (const CourseEntry& course : list.courses) ids.push_back(course.id);
        } else if (list.Select(wanted)) {
            ids.push_back(list.Selected().id);
        } else {
            std::fprintf(stderr, "coursecheck: no course \"%s\" in %s\n", wanted.c_str(), CourseList::kPath);
            return 2;
        }
    }
    if (options.contest) return Contest(list, ids, options);
    int failures = 0;
    std::printf("%-10s %4s  %-6s %8s %5s %5s %7s %5s %7s %6s %8s  %s\n", "course", "seed", "racer", "lap", "place",
                "stuck", "detours", "near", "touches", "ground", "coll-off", "result");
    for (const std::string& id : ids) {
        list.Select(id);
        const race::Course course = LoadCourse();
        if (course.checkPoints.empty()) {
            std::fprintf(stderr, "coursecheck: %s has no checkpoints\n", id.c_str());
            ++failures;
            continue;
        }
        for (unsigned seed : options.seeds)
            failures += Report(id, seed, RunRace(course, seed, options.frameLimit), options);
    }
    std::printf("%s: %d failed racer run(s)\n", failures == 0 ? "PASS" : "FAIL", failures);
    return failures == 0 ? 0 : 1;
}
