// The command-line flags of automated runs (all optional; no flag plays the game as normal).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/language.h"
#include "race/difficulty.h"
#include "race/race_mode.h"
#include "render/graphics_quality.h"

// The deepest re-run --synctest takes (each update then costs that many more).
inline constexpr std::uint64_t kMostSyncTestDepth = 64;
// The port an online race is hosted on unless --host or --join names another.
inline constexpr std::uint16_t kDefaultNetPort = 47031;
// The most people at one screen.
inline constexpr std::uint64_t kMostPlayers = 4;

struct ScreenshotRequest {
    std::uint64_t frame = 0;
    std::string path;
};

struct LaunchFlags {
    bool windowed = false;
    bool fullscreen = false;
    bool headless = false; // implies windowed and fixedClock
    bool fixedClock = false;
    bool stats = false;
    bool help = false;
    bool version = false;
    bool listCourses = false;
    std::string course;       // id or display name; empty: the first course of the course file
    std::uint64_t frames = 0; // 0: no limit
    std::string inputFile;
    std::string recordFile;
    std::string traceFile;
    std::optional<GraphicsQuality> graphics; // unset: the settings' level
    std::string configFile;                  // empty: the settings file in its usual place
    std::optional<unsigned> seed;
    std::uint32_t synctest = 0; // 0: off; else how many updates each update re-runs
    std::string dataHome;       // empty: the default save folder (none in automated runs)
    // Unset: the settings' choice (a script's own, in a scripted run). A flag holds for this run
    // only: the settings file keeps its own value unless the player changes it in the options.
    std::optional<Difficulty> difficulty;
    std::optional<bool> ghost;
    std::optional<RaceMode> mode;         // unset: the game's own race, as the title starts
    std::optional<Language> language;     // unset: the settings' choice, else auto
    std::optional<std::uint32_t> players; // unset: 1P alone; else seats joined from the start
    std::vector<ScreenshotRequest> screenshots;
    // Online: host on a port, or join HOST:PORT; the name the others see; the host's number of
    // machines to wait for; updates between reading a control and racing it.
    std::optional<std::uint16_t> hostPort;
    std::string joinHost;
    std::uint16_t joinPort = 0;
    std::string name;
    std::uint32_t peers = 1;
    std::optional<std::uint32_t> inputDelay; // unset: the settings'
};

// Fills `flags` from argv; false with a one-line reason for an unknown flag, a bad value or flags
// that contradict each other.
bool ParseLaunchFlags(int argc, const char* const* argv, LaunchFlags* flags, std::string* error);
// The --help text: every flag and every key of the game.
std::string LaunchFlagsUsage();
