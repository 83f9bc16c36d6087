// Flag parsing: every value is checked, so a typo stops the run instead of being ignored.
#include "app/automation/launch_flags.h"

#include <charconv>
#include <cstring>

namespace {
bool ParseNumber(const std::string& text, std::uint64_t* out) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseScreenshot(const std::string& value, ScreenshotRequest* out) {
    std::size_t colon = value.find(':');
    if (colon == std::string::npos) return false;
    out->path = value.substr(colon + 1);
    return ParseNumber(value.substr(0, colon), &out->frame) && out->frame > 0 && !out->path.empty();
}

// Flags that take a value; the value is the next argument.
bool ApplyValueFlag(const std::string& flag, const std::string& value, LaunchFlags* flags, std::string* error) {
    std::uint64_t number = 0;
    if (flag == "--frames") {
        if (!ParseNumber(value, &number) || number == 0) return *error = "--frames needs a positive number", false;
        flags->frames = number;
    } else if (flag == "--seed") {
        if (!ParseNumber(value, &number) || number > 0xFFFFFFFFu) return *error = "--seed needs a number", false;
        flags->seed = unsigned(number);
    } else if (flag == "--screenshot") {
        ScreenshotRequest request;
        if (!ParseScreenshot(value, &request)) return *error = "--screenshot needs FRAME:FILE.png", false;
        flags->screenshots.push_back(request);
    } else if (flag == "--input") {
        flags->inputFile = value;
    } else if (flag == "--record") {
        flags->recordFile = value;
    } else if (flag == "--trace") {
        flags->traceFile = value;
    } else if (flag == "--course") {
        if (value.empty()) return *error = "--course needs a course name", false;
        flags->course = value;
    } else {
        return *error = "unknown flag " + flag, false;
    }
    return true;
}

bool IsValueFlag(const std::string& flag) {
    for (const char* name : {"--frames", "--seed", "--screenshot", "--input", "--record", "--trace", "--course"})
        if (flag == name) return true;
    return false;
}
} // namespace

bool ParseLaunchFlags(int argc, const char* const* argv, LaunchFlags* flags, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    *flags = LaunchFlags{};
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        if (flag == "--windowed") flags->windowed = true;
        else if (flag == "--fullscreen") flags->fullscreen = true;
        else if (flag == "--headless") flags->headless = true;
        else if (flag == "--fixed-clock") flags->fixedClock = true;
        else if (flag == "--stats") flags->stats = true;
        else if (flag == "--help" || flag == "-h") flags->help = true;
        else if (flag == "--list-courses") flags->listCourses = true;
        else if (IsValueFlag(flag)) {
            if (i + 1 >= argc) return *error = flag + " needs a value", false;
            if (!ApplyValueFlag(flag, argv[++i], flags, error)) return false;
        } else {
            return *error = "unknown flag " + flag, false;
        }
    }
    if (flags->headless) {
        if (flags->fullscreen) return *error = "--headless has no screen to fill (--fullscreen)", false;
        flags->windowed = true;
        flags->fixedClock = true;
    }
    if (flags->windowed && flags->fullscreen) return *error = "--windowed and --fullscreen exclude each other", false;
    return true;
}

const char* LaunchFlagsUsage() {
    return "usage: orlenda [flags]\n"
           "  --windowed | --fullscreen   answer the full-screen question in advance\n"
           "  --headless                  no window, no GPU, silent audio (implies --windowed --fixed-clock)\n"
           "  --fixed-clock               every frame lasts exactly 16 ms of game time; no sleeping\n"
           "  --frames N                  leave after N frames\n"
           "  --input FILE                scripted keys and message-box answers\n"
           "  --record FILE               write this run's keys as an input script\n"
           "  --seed N                    seed the random generator\n"
           "  --screenshot N:FILE.png     save the screen after frame N (repeatable; OpenGL only)\n"
           "  --trace FILE                one JSON line per frame\n"
           "  --stats                     print frame timings and peak memory at exit\n"
           "  --course NAME               race this course (its id or name; see --list-courses)\n"
           "  --list-courses              print the courses, one per line, and exit\n";
}
