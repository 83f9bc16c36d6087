// The command-line flags of automated runs (all optional; no flag plays the game as normal).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
    bool listCourses = false;
    std::string course; // id or display name; empty: the first course of the course file
    std::uint64_t frames = 0; // 0: no limit
    std::string inputFile;
    std::string recordFile;
    std::string traceFile;
    std::optional<unsigned> seed;
    std::vector<ScreenshotRequest> screenshots;
};

// Fills `flags` from argv; false with a one-line reason for an unknown flag or a bad value.
bool ParseLaunchFlags(int argc, const char* const* argv, LaunchFlags* flags, std::string* error);
const char* LaunchFlagsUsage();
