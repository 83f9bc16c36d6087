// Automation of one run: applies the launch flags, plays the input script, records keys, writes
// the per-frame trace, takes screenshots and collects frame timings.
#pragma once

#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/automation/frame_stats.h"
#include "app/automation/input_script.h"
#include "app/automation/launch_flags.h"
#include "app/automation/trace_writer.h"
#include "app/frame_observer.h"
#include "platform/pad/gamepad.h"

class Application;

class Automation : public FrameObserver {
public:
    explicit Automation(LaunchFlags flags);
    ~Automation() override;

    // Reads the input script and opens the record and trace files; false with the reason.
    bool Open(std::string* error);
    // Clock, message-box mode, random seed and the launch options of the application; also answers
    // scripted for boxes before the first frame (the full-screen question).
    void Configure(Application& application);
    // Between start-up and the first frame.
    void LoopStarting();
    void FrameStarting(std::uint64_t frame) override;
    void SceneStepped(std::uint64_t frame) override;
    void FramePresented(std::uint64_t frame) override;
    // After shut-down: flushes the files and prints the statistics.
    void Finish();

    const FrameStats& Stats() const { return stats; }

private:
    using Clock = std::chrono::steady_clock;

    void RecordKeys(std::uint64_t frame);
    void RecordPad(std::uint64_t frame);
    void WriteTrace(std::uint64_t frame, const std::vector<std::string>& sounds);
    void TakeScreenshots(std::uint64_t frame);

    LaunchFlags flags;
    std::unique_ptr<InputScript> script;
    std::ofstream record;
    std::ofstream trace;
    TraceWriter traceLine;
    FrameStats stats;
    KeyBindings scriptBindings;
    std::vector<bool> recordedDown; // per ScriptKeys() entry
    platform::pad::State recordedPad;
    std::uint64_t currentFrame = 0;
    Clock::time_point launched;
    Clock::time_point frameStarted;
    Clock::time_point stepped;
};
