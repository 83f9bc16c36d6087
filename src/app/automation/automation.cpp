// Automation hooks around the main loop; with no flags they only keep the sound list drained.
#include "app/automation/automation.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/application.h"
#include "app/scene_manager.h"
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

bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream contents;
    contents << file.rdbuf();
    *text = contents.str();
    return true;
}
} // namespace

Automation::Automation(LaunchFlags launchFlags)
    : flags(std::move(launchFlags)), recordedDown(ScriptKeys().size(), false), launched(Clock::now()) {}

Automation::~Automation() { platform::message_box::SetObserver(nullptr); }

bool Automation::Open(std::string* error) {
    // The game may change its working directory to find its content; screenshots go where asked.
    for (ScreenshotRequest& request : flags.screenshots) {
        std::error_code ec;
        std::filesystem::path absolute = std::filesystem::absolute(request.path, ec);
        if (!ec) request.path = absolute.string();
    }
    if (!flags.inputFile.empty()) {
        std::string text, reason;
        ParsedScript parsed;
        if (!ReadFile(flags.inputFile, &text)) return *error = "cannot read the input script " + flags.inputFile, false;
        if (!ParseInputScript(text, &parsed, &reason)) return *error = flags.inputFile + ": " + reason, false;
        script = std::make_unique<InputScript>(std::move(parsed.events));
        scriptBindings = parsed.bindings;
    }
    if (!flags.recordFile.empty()) {
        record.open(flags.recordFile);
        if (!record) return *error = "cannot write " + flags.recordFile, false;
        record << "# keys and answers of a run; replay with --input\n";
    }
    if (!flags.traceFile.empty()) {
        trace.open(flags.traceFile);
        if (!trace) return *error = "cannot write " + flags.traceFile, false;
    }
    return true;
}

void Automation::Configure(Application& application) {
    platform::clock::SetFixed(flags.fixedClock);
    bool automatic = flags.headless || script;
    platform::message_box::SetMode(automatic ? platform::message_box::Mode::Automatic
                                             : platform::message_box::Mode::Interactive);
    if (flags.seed) std::srand(*flags.seed);
    application.options.headless = flags.headless;
    application.options.maxFrames = flags.frames;
    if (flags.windowed) application.options.fullScreenAnswer = IDNO;
    if (flags.fullscreen) application.options.fullScreenAnswer = IDYES;
    // Automated runs never depend on a pad that happens to be plugged into the machine.
    application.options.realPad = !automatic;
    application.observer = this;
    // A script plays with its own bindings, so a recording replays the same under any settings file;
    // they are the bindings in force for the run (the controls and options screens show them).
    if (script) application.settings.keys = scriptBindings;
    application.settings.keys.Apply();
    if (record) record << FormatBindingHeaders(application.settings.keys);
    if (script) script->ApplyUpTo(0);
    if (record) {
        platform::message_box::SetObserver([this](const std::string&, const std::string&, int answer) {
            // Boxes before the first frame (the full-screen question) are answered by flags on replay.
            if (currentFrame == 0 || (answer != IDYES && answer != IDNO)) return;
            record << FormatScriptEvent({currentFrame, ScriptEvent::Kind::Answer, 0, answer}) << '\n';
        });
    }
}

void Automation::LoopStarting() {
    // Plays of start-up (the title's music) belong to no frame.
    SoundManager::Instance().TakePlayedNames();
}

void Automation::FrameStarting(std::uint64_t frame) {
    currentFrame = frame;
    if (script) script->ApplyUpTo(frame);
    if (record) RecordKeys(frame);
    frameStarted = Clock::now();
}

void Automation::SceneStepped(std::uint64_t frame) {
    stepped = Clock::now();
    if (record) RecordPad(frame);
}

void Automation::FramePresented(std::uint64_t frame) {
    Clock::time_point presented = Clock::now();
    stats.AddFrame(Milliseconds(stepped - frameStarted), Milliseconds(presented - stepped));
    if (frame == 1) stats.SetFirstFrameMs(Milliseconds(presented - launched));
    std::vector<std::string> sounds = SoundManager::Instance().TakePlayedNames();
    if (trace) WriteTrace(frame, sounds);
    TakeScreenshots(frame);
}

void Automation::RecordKeys(std::uint64_t frame) {
    const std::vector<int>& keys = ScriptKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        bool down = platform::input::PhysicalKeyDown(keys[i]);
        if (down == recordedDown[i]) continue;
        recordedDown[i] = down;
        auto kind = down ? ScriptEvent::Kind::KeyDown : ScriptEvent::Kind::KeyUp;
        record << FormatScriptEvent({frame, kind, keys[i], 0}) << '\n';
    }
}

// The pad as this frame's update read it, as script events that bring it back on replay.
void Automation::RecordPad(std::uint64_t frame) {
    const platform::pad::State& now = platform::pad::Current();
    if (now == recordedPad) return;
    auto write = [&](ScriptEvent::Kind kind, int key, float value) {
        record << FormatScriptEvent({frame, kind, key, 0, value}) << '\n';
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
    if (scenes.scene) scenes.scene->WriteTrace(traceLine);
    trace << traceLine.Line() << '\n';
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
        if (!device->ReadBackBuffer(image.pixels, image.width, image.height) ||
            !platform::image::SavePng(request.path, image, &error))
            std::fprintf(stderr, "screenshot: %s not written %s\n", request.path.c_str(), error.c_str());
    }
}

void Automation::Finish() {
    if (record) record.flush();
    if (trace) trace.flush();
    if (flags.stats) std::fputs(stats.Report().c_str(), stdout);
}
