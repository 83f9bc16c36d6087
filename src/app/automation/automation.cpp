// Automation hooks around the main loop; with no flags they only keep the sound list drained.
#include "app/automation/automation.h"

#include <chrono>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/application.h"
#include "app/automation/memory_report.h"
#include "app/scene_manager.h"
#include "map/course_list.h"
#include "map/map_manager.h"
#include "platform/image/png_image.h"
#include "platform/pad/gamepad.h"
#include "platform/window/clock.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "render/graphics_device.h"
#include "sound/sound_manager.h"

namespace {
double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The whole file, or false with the system's reason.
bool ReadFile(const std::string& path, std::string* text, std::string* reason) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return *reason = std::strerror(errno), false;
    char buffer[8192];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, count);
    bool failed = std::ferror(file) != 0;
    int code = errno;
    std::fclose(file);
    if (failed) return *reason = std::strerror(code ? code : EIO), false;
    return true;
}

// Where a path leads, symbolic links and ".." resolved as far as the path exists.
std::filesystem::path Resolved(const std::string& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec) return std::filesystem::path(path).lexically_normal();
    std::filesystem::path canonical = std::filesystem::weakly_canonical(full, ec);
    return ec ? full.lexically_normal() : canonical;
}

// Two flags naming one file would have one run overwrite what another part reads or writes.
bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) || Resolved(a) == Resolved(b);
}
} // namespace

Automation::Automation(LaunchFlags launchFlags)
    : flags(std::move(launchFlags)), recordedDown(ScriptKeys().size(), false), launched(Clock::now()) {}

Automation::~Automation() { platform::message_box::SetObserver(nullptr); }

bool Automation::Open(std::string* error, int* status) {
    int ignored = 0;
    if (!status) status = &ignored;
    *status = 2;
    // The game may change its working directory to find its content; screenshots go where asked.
    for (ScreenshotRequest& request : flags.screenshots) {
        std::error_code ec;
        std::filesystem::path absolute = std::filesystem::absolute(request.path, ec);
        if (!ec) request.path = absolute.string();
    }
    if (!CheckFileFlags(error) || !ReadScript(error)) return false;
    *status = 1;
    if (!flags.recordFile.empty()) {
        if (!record.Open(flags.recordFile, error)) return false;
        record.Write("# keys and answers of a run; replay with --input\n");
    }
    if (!flags.traceFile.empty() && !trace.Open(flags.traceFile, error)) return false;
    *status = 0;
    return true;
}

bool Automation::CheckFileFlags(std::string* error) const {
    if (!flags.inputFile.empty() && std::filesystem::is_directory(flags.inputFile))
        return *error = "--input " + flags.inputFile + " is a folder, not an input script", false;
    std::vector<std::pair<std::string, std::string>> named = {
        {"--input", flags.inputFile}, {"--record", flags.recordFile}, {"--trace", flags.traceFile}};
    for (const ScreenshotRequest& request : flags.screenshots) named.push_back({"--screenshot", request.path});
    for (std::size_t i = 0; i < named.size(); ++i)
        for (std::size_t j = i + 1; j < named.size(); ++j)
            if (named[i].first != "--screenshot" && SameFile(named[i].second, named[j].second))
                return *error = named[i].first + " and " + named[j].first + " name the same file " + named[j].second,
                       false;
    return true;
}

bool Automation::ReadScript(std::string* error) {
    if (flags.inputFile.empty()) return true;
    std::string text, reason;
    ParsedScript parsed;
    if (!ReadFile(flags.inputFile, &text, &reason))
        return *error = "cannot read the input script " + flags.inputFile + ": " + reason, false;
    if (!ParseInputScript(text, &parsed, &reason)) return *error = flags.inputFile + ": " + reason, false;
    TakeScriptChoices(parsed.choices);
    script = std::make_unique<InputScript>(std::move(parsed.events));
    scriptBindings = parsed.bindings;
    scriptSecondBindings = parsed.secondBindings;
    return true;
}

namespace {
// A seed that --seed or a script's `@ seed` could also give (32 bits), so a recording replays it.
std::uint32_t ClockSeed() {
    const auto ticks = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
}
} // namespace

// A script's header is a flag written into the script; a flag given on the command line wins, so a
// recording can be replayed with, say, another seed on purpose.
void Automation::TakeScriptChoices(const ScriptChoices& choices) {
    if (!flags.difficulty) flags.difficulty = choices.difficulty;
    if (!flags.ghost) flags.ghost = choices.ghost;
    if (!flags.seed) flags.seed = choices.seed;
    if (!flags.mode) flags.mode = choices.mode;
    if (!flags.players && choices.players) flags.players = static_cast<std::uint32_t>(*choices.players);
    if (flags.course.empty()) scriptCourse = choices.course;
}

void Automation::ReportWriteFailure(const OutputFile& file, bool* reported) {
    if (!file.Failed() || *reported) return;
    std::fprintf(stderr, "orlenda: %s\n", file.Error().c_str());
    *reported = true;
}

void Automation::Configure(Application& application) {
    platform::clock::SetFixed(flags.fixedClock);
    bool automatic = flags.headless || script;
    platform::message_box::SetMode(automatic ? platform::message_box::Mode::Automatic
                                             : platform::message_box::Mode::Interactive);
    // Races are seeded from --seed (or a script's); without it a fixed-clock run races the same races
    // every time and a player's run races new ones.
    application.checks.synctest = flags.synctest;
    if (flags.seed) application.seeds.base = *flags.seed;
    else if (!flags.fixedClock && !flags.headless) application.seeds.base = ClockSeed();
    ApplySettings(application.settings.values);
    if (flags.mode) application.session.mode = *flags.mode;
    if (flags.players) application.lineup.JoinInOrder(*flags.players);
    application.options.headless = flags.headless;
    application.options.drawNothing = flags.headless;
    application.options.maxFrames = flags.frames;
    if (application.settings.values.fullscreen == FullScreenChoice::Yes) application.options.fullScreenAnswer = IDYES;
    if (application.settings.values.fullscreen == FullScreenChoice::No) application.options.fullScreenAnswer = IDNO;
    if (flags.windowed) application.options.fullScreenAnswer = IDNO;
    if (flags.fullscreen) application.options.fullScreenAnswer = IDYES;
    // Automated runs never depend on a pad that happens to be plugged into the machine.
    application.options.realPad = !automatic;
    application.observer = this;
    shell = &application;
    ApplyKeySets(application.settings.values.keys, application.settings.values.keys2);
    if (script) script->ApplyUpTo(0);
    if (record.IsOpen()) {
        platform::message_box::SetObserver([this](const std::string&, const std::string&, int answer) {
            // Boxes before the first frame (the full-screen question) are answered by flags on replay.
            if (currentFrame == 0 || (answer != IDYES && answer != IDNO)) return;
            record.Write(FormatScriptEvent({currentFrame, ScriptEvent::Kind::Answer, 0, answer}) + "\n");
        });
    }
}

void Automation::ApplySettings(Settings& values) const {
    // A script brings its own race: the keys, difficulty and ghost of its headers, else the
    // defaults, never a settings file's, so a recording replays the same on any machine. How the
    // run looks and sounds stays the file's. The screens show and edit these values.
    if (script) {
        const Settings defaults;
        values.keys = scriptBindings;
        values.keys2 = scriptSecondBindings;
        values.difficulty = defaults.difficulty;
        values.ghost = defaults.ghost;
    }
    if (flags.graphics) values.graphics = *flags.graphics;
    if (flags.difficulty) values.difficulty = *flags.difficulty;
    if (flags.ghost) values.ghost = *flags.ghost;
}

void Automation::LoopStarting() {
    if (record.IsOpen() && shell) {
        const Settings& values = shell->settings.values;
        // The races' seed is written even when the clock chose it: the replay races the same races.
        const auto seed = flags.seed.value_or(static_cast<unsigned>(shell->seeds.base));
        ScriptChoices choices{CourseList::Instance().Selected().id,
                              values.difficulty,
                              values.ghost,
                              seed,
                              shell->session.mode == RaceMode::Race ? std::nullopt
                                                                    : std::optional<RaceMode>(shell->session.mode),
                              std::nullopt};
        if (const std::size_t people = shell->lineup.Count(); people > 1) choices.players = unsigned(people);
        record.Write(FormatBindingHeaders(values.keys) + FormatBindingHeaders(values.keys2) +
                     FormatChoiceHeaders(choices));
    }
    // Plays of start-up (the title's music) belong to no frame.
    SoundManager::Instance().TakePlayedNames();
    if (gpu::Device* device = GraphicsDevice::Instance().device.get()) device->EnablePhaseTimer(flags.stats);
}

void Automation::LoopEnded() {
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (device) phaseReport = device->PhaseReport();
    if (flags.stats) memoryReport = MemoryReport(device);
}

void Automation::FrameStarting(std::uint64_t frame) {
    currentFrame = frame;
    if (script) script->ApplyUpTo(frame);
    if (record.IsOpen()) RecordKeys(frame);
    frameStarted = Clock::now();
}

void Automation::SceneStepped(std::uint64_t frame) {
    stepped = Clock::now();
    if (record.IsOpen()) RecordPad(frame);
    for (const ScreenshotRequest& request : flags.screenshots)
        if (request.frame == frame)
            if (gpu::Device* device = GraphicsDevice::Instance().device.get()) device->KeepPictureForReadBack();
}

void Automation::FramePresented(std::uint64_t frame, bool shown) {
    Clock::time_point presented = Clock::now();
    stats.AddFrame(Milliseconds(stepped - frameStarted), shown ? Milliseconds(presented - stepped) : -1.0);
    if (frame == 1) {
        stats.SetFirstFrameMs(Milliseconds(presented - launched));
        stats.SetLaunchToTitleMs(MillisecondsSinceProcessStart());
        loopStarted = frameStarted;
    }
    stats.SetLoopMs(Milliseconds(presented - loopStarted));
    const SceneBase* scene = SceneManager::Instance().scene.get();
    if (scene && scene->sceneId == kGameScene) stats.AddRaceFrame(Milliseconds(presented - frameStarted), shown);
    std::vector<std::string> sounds = SoundManager::Instance().TakePlayedNames();
    if (trace.IsOpen()) WriteTrace(frame, sounds);
    if (shown) TakeScreenshots(frame);
    ReportWriteFailure(record, &recordReported);
    ReportWriteFailure(trace, &traceReported);
}

bool Automation::MustShow(std::uint64_t frame) {
    for (const ScreenshotRequest& request : flags.screenshots)
        if (request.frame == frame) return true;
    return false;
}

void Automation::RecordKeys(std::uint64_t frame) {
    const std::vector<int>& keys = ScriptKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        bool down = platform::input::PhysicalKeyDown(keys[i]);
        if (down == recordedDown[i]) continue;
        recordedDown[i] = down;
        auto kind = down ? ScriptEvent::Kind::KeyDown : ScriptEvent::Kind::KeyUp;
        record.Write(FormatScriptEvent({frame, kind, keys[i], 0}) + "\n");
    }
}

// The pads as this frame's update read them, as script events that bring them back on replay.
void Automation::RecordPad(std::uint64_t frame) {
    for (int pad = 0; pad < platform::pad::kPads; ++pad) RecordPad(frame, pad);
}

void Automation::RecordPad(std::uint64_t frame, int pad) {
    const platform::pad::State& now = platform::pad::Current(pad);
    platform::pad::State& recordedPad = recordedPads[static_cast<std::size_t>(pad)];
    if (now == recordedPad) return;
    auto write = [&](ScriptEvent::Kind kind, int key, float value) {
        record.Write(FormatScriptEvent({frame, kind, key, 0, value, pad}) + "\n");
    };
    if (now.connected != recordedPad.connected)
        write(now.connected ? ScriptEvent::Kind::PadConnect : ScriptEvent::Kind::PadDisconnect, 0, 0.0f);
    for (int b = 0; b < platform::pad::kButtons; ++b)
        if (now.buttons[b] != recordedPad.buttons[b])
            write(now.buttons[b] ? ScriptEvent::Kind::PadButtonDown : ScriptEvent::Kind::PadButtonUp, b, 0.0f);
    for (int a = 0; a < platform::pad::kAxes; ++a)
        if (now.axes[a] != recordedPad.axes[a]) write(ScriptEvent::Kind::PadAxis, a, now.axes[a]);
    recordedPad = now;
}

void Automation::WriteTrace(std::uint64_t frame, const std::vector<std::string>& sounds) {
    traceLine.Begin(frame);
    SceneManager& scenes = SceneManager::Instance();
    if (scenes.scene) traceLine.Set("scene", TraceWriter::Integer(scenes.scene->sceneId));
    const MapManager& map = MapManager::Instance();
    traceLine.Set("fade", TraceWriter::Object({{"active", TraceWriter::Bool(map.active)},
                                               {"alpha", TraceWriter::Integer(map.alpha)},
                                               {"fadingIn", TraceWriter::Bool(map.fadingIn)}}));
    std::vector<std::string> names;
    for (const std::string& name : sounds) names.push_back(TraceWriter::String(name));
    traceLine.Set("sounds", TraceWriter::Array(names));
    names.clear();
    for (const std::string& name : SoundManager::Instance().PlayingNames()) names.push_back(TraceWriter::String(name));
    traceLine.Set("playing", TraceWriter::Array(names));
    if (scenes.scene) scenes.scene->WriteTrace(traceLine);
    trace.Write(traceLine.Line() + "\n");
}

void Automation::TakeScreenshots(std::uint64_t frame) {
    for (const ScreenshotRequest& request : flags.screenshots) {
        if (request.frame != frame) continue;
        gpu::Device* device = GraphicsDevice::Instance().device.get();
        if (!device || device->IsNull()) {
            std::fprintf(stderr, "screenshot: %s skipped: the headless device draws nothing\n", request.path.c_str());
            continue;
        }
        platform::image::Image image;
        std::string error;
        if (!device->ReadBackBuffer(image.pixels, image.width, image.height)) error = "the screen cannot be read back";
        else platform::image::SavePng(request.path, image, &error);
        if (error.empty()) continue;
        std::fprintf(stderr, "orlenda: screenshot %s not written: %s\n", request.path.c_str(), error.c_str());
        screenshotFailed = true;
    }
}

bool Automation::Finish() {
    record.Close();
    trace.Close();
    ReportWriteFailure(record, &recordReported);
    ReportWriteFailure(trace, &traceReported);
    if (flags.stats) std::fputs((stats.Report() + phaseReport + memoryReport).c_str(), stdout);
    return !record.Failed() && !trace.Failed() && !screenshotFailed;
}
