// Flag parsing: every value is checked, so a typo stops the run instead of being ignored.
#include "app/automation/launch_flags.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "net/join_address.h"

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
    } else if (flag == "--synctest") {
        if (!ParseNumber(value, &number) || number == 0 || number > kMostSyncTestDepth)
            return *error = "--synctest needs a number of updates, 1 to " + std::to_string(kMostSyncTestDepth), false;
        flags->synctest = static_cast<std::uint32_t>(number);
    } else if (flag == "--players") {
        if (!ParseNumber(value, &number) || number == 0 || number > kMostPlayers)
            return *error = "--players needs a number of people, 1 to " + std::to_string(kMostPlayers), false;
        flags->players = static_cast<std::uint32_t>(number);
    } else if (flag == "--screenshot") {
        ScreenshotRequest request;
        if (!ParseScreenshot(value, &request)) return *error = "--screenshot needs FRAME:FILE.png", false;
        flags->screenshots.push_back(request);
    } else if (flag == "--data-home") {
        if (value.empty()) return *error = "--data-home needs a folder", false;
        flags->dataHome = value;
    } else if (flag == "--difficulty") {
        Difficulty level = Difficulty::Normal;
        if (!ParseDifficulty(value, &level)) return *error = "--difficulty needs easy, normal or hard", false;
        flags->difficulty = level;
    } else if (flag == "--mode") {
        RaceMode mode = RaceMode::Race;
        if (!ParseRaceMode(value, &mode)) return *error = "--mode needs race, trial or championship", false;
        flags->mode = mode;
    } else if (flag == "--ghost") {
        if (value != "on" && value != "off") return *error = "--ghost needs on or off", false;
        flags->ghost = value == "on";
    } else if (flag == "--lang") {
        Language language = Language::Auto;
        if (!ParseLanguage(value, &language)) return *error = "--lang needs auto, en or ja", false;
        flags->language = language;
    } else if (flag == "--input") {
        flags->inputFile = value;
    } else if (flag == "--record") {
        flags->recordFile = value;
    } else if (flag == "--trace") {
        flags->traceFile = value;
    } else if (flag == "--graphics") {
        GraphicsQuality level = GraphicsQuality::Full;
        if (!ParseGraphicsQuality(value, &level)) return *error = "--graphics needs full, fast or low", false;
        flags->graphics = level;
    } else if (flag == "--config") {
        if (value.empty()) return *error = "--config needs a file", false;
        flags->configFile = value;
    } else if (flag == "--join") {
        if (!net::ParseJoinAddress(value, kDefaultNetPort, &flags->joinHost, &flags->joinPort))
            return *error = flags->joinHost.empty() ? "--join needs HOST or HOST:PORT"
                                                    : "--join needs HOST or HOST:PORT (a port from 1 to 65535)",
                   false;
    } else if (flag == "--name") {
        if (value.empty() || value.size() > 24) return *error = "--name needs a name of 1 to 24 characters", false;
        for (char c : value)
            if (static_cast<unsigned char>(c) < 0x20) return *error = "--name holds a control character", false;
        flags->name = value;
    } else if (flag == "--peers") {
        if (!ParseNumber(value, &number) || number == 0 || number > 4) return *error = "--peers needs 1 to 4", false;
        flags->peers = static_cast<std::uint32_t>(number);
    } else if (flag == "--input-delay") {
        if (!ParseNumber(value, &number) || number > 4) return *error = "--input-delay needs 0 to 4", false;
        flags->inputDelay = static_cast<std::uint32_t>(number);
    } else if (flag == "--course") {
        if (value.empty()) return *error = "--course needs a course name", false;
        flags->course = value;
    } else {
        return *error = "unknown flag " + flag, false;
    }
    return true;
}

// --help: one row per flag and per key; a new flag is one more row.
struct UsageRow {
    const char* name;
    const char* meaning;
};
constexpr UsageRow kFlagRows[] = {
    {"--windowed | --fullscreen", "answer the full-screen question in advance"},
    {"--headless", "no window, no GPU, silent audio (implies --windowed --fixed-clock)"},
    {"--fixed-clock", "every frame lasts exactly 16 ms of game time; no sleeping"},
    {"--frames N", "leave after N frames"},
    {"--input FILE", "scripted keys and message-box answers"},
    {"--record FILE", "write this run's keys and race choices as an input script"},
    {"--seed N", "seed the races (without it: the clock, or 1 on the fixed clock)"},
    {"--synctest N", "after every race update, load the state of N updates before, step them again and compare"},
    {"--screenshot N:FILE.png", "save the screen after frame N (repeatable; OpenGL only)"},
    {"--trace FILE", "one JSON line per frame"},
    {"--stats", "print frame timings and peak memory at exit"},
    {"--graphics full|fast|low", "glow as defined, a cheaper glow, or effects without glow (this run only)"},
    {"--config FILE", "read and save the settings in FILE (scripted and headless runs save only there)"},
    {"--data-home DIR", "keep best times and ghosts in DIR (automated runs save nothing without it)"},
    {"--difficulty easy|normal|hard", "how fast the computer racers fly (default normal; this run only)"},
    {"--ghost on|off", "race against the ghost of your best run (default on; this run only)"},
    {"--mode race|trial|championship", "the mode the title starts on (default race)"},
    {"--players N", "start with N people joined (1-4): keyboard, keyboard set 2, then pads 1, 2, ..."},
    {"--lang auto|en|ja", "the message boxes' language (auto: from LANGUAGE, LC_ALL, LC_MESSAGES or LANG)"},
    {"--course NAME", "race this course (its id or name; see --list-courses)"},
    {"--list-courses", "print the courses, one per line, and exit"},
    {"--host [PORT]", "host an online race on PORT (default 47031); Enter on the title starts it"},
    {"--join HOST[:PORT]", "join the online race hosted at HOST (port 47031 unless given)"},
    {"--name NAME", "the name the others see in an online race"},
    {"--peers N", "the host waits for N machines to join before it starts (1 to 4; default 1)"},
    {"--input-delay N", "online: updates between reading a control and racing it (0 to 4; default: the settings')"},
    {"--help, -h", "print this help and exit"},
    {"--version", "print the version and exit"},
};
constexpr UsageRow kKeyRows[] = {
    {"Enter", "start the race on the title; back to the title after the finish"},
    {"Up, Down", "choose the mode or the course row on the title; nose up, nose down in the race"},
    {"Left, Right", "change the title's row (mode, course); turn in the race"},
    {"Escape", "quit from the title, or leave the race for the title (both ask first)"},
    {"Space", "throttle (without it the broom coasts down); race again on the result screen"},
    {"Shift", "boost"},
    {"R", "swap Up and Down"},
    {"C", "automatic pilot on/off"},
    {"P", "pause and go on (any player's pause holds the race for all)"},
    {"Tab", "keyboard set 2 joins on the title (W S A D fly it, Ctrl throttle, Q boost; 1 leaves)"},
    {"F1", "the controls screen (title and race)"},
    {"O", "the options screen (title)"},
    {"N", "the Online screen: host or join an online race (title)"},
};

template <std::size_t N> void AppendRows(std::string* text, const UsageRow (&rows)[N]) {
    std::size_t width = 0;
    for (const UsageRow& row : rows) width = std::max(width, std::strlen(row.name));
    for (const UsageRow& row : rows) {
        std::string name = row.name;
        *text += "  " + name + std::string(width + 3 - name.size(), ' ') + row.meaning + "\n";
    }
}

bool IsValueFlag(const std::string& flag) {
    for (const char* name :
         {"--frames",   "--seed",    "--synctest",  "--screenshot", "--input", "--record",     "--trace",
          "--graphics", "--config",  "--data-home", "--difficulty", "--ghost", "--lang",       "--course",
          "--mode",     "--players", "--join",      "--name",       "--peers", "--input-delay"})
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
        else if (flag == "--version") flags->version = true;
        else if (flag == "--list-courses") flags->listCourses = true;
        else if (flag == "--host") {
            // The port is optional: a number right after the flag is it.
            std::uint64_t port = kDefaultNetPort;
            if (i + 1 < argc && std::isdigit(static_cast<unsigned char>(argv[i + 1][0]))) {
                if (!ParseNumber(argv[++i], &port) || port == 0 || port > 65535)
                    return *error = "--host takes a port from 1 to 65535", false;
            }
            flags->hostPort = static_cast<std::uint16_t>(port);
        } else if (IsValueFlag(flag)) {
            if (i + 1 >= argc) return *error = flag + " needs a value", false;
            if (!ApplyValueFlag(flag, argv[++i], flags, error)) return false;
        } else {
            return *error = "unknown flag " + flag, false;
        }
    }
    if (flags->headless) {
        if (flags->fullscreen) return *error = "--headless has no screen to fill (--fullscreen)", false;
        if (!flags->screenshots.empty()) return *error = "--headless draws nothing to take a --screenshot of", false;
        flags->windowed = true;
        flags->fixedClock = true;
    }
    if (flags->hostPort && !flags->joinHost.empty()) return *error = "--host and --join exclude each other", false;
    if (flags->windowed && flags->fullscreen) return *error = "--windowed and --fullscreen exclude each other", false;
    for (const ScreenshotRequest& request : flags->screenshots)
        if (flags->frames != 0 && request.frame > flags->frames)
            return *error = "--screenshot " + std::to_string(request.frame) + ":" + request.path +
                            " comes after the last frame (--frames " + std::to_string(flags->frames) + ")",
                   false;
    return true;
}

std::string LaunchFlagsUsage() {
    std::string text = "usage: orlenda [flags]\n\nWith no flags the game starts as a player starts it. Flags:\n";
    AppendRows(&text, kFlagRows);
    text += "\nKeys (in the race, unless the title is named):\n";
    AppendRows(&text, kKeyRows);
    text += "\nThe content (data/ and Shader/) is looked for in $ORLENDA_DATA, the working directory,\n"
            "beside the executable, then in ../share/orlenda beside it.\n"
            "Exit status: 0 done, 1 start-up failed or an output file could not be written, 2 bad flags.\n";
    return text;
}
