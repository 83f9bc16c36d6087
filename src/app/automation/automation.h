// Automation of one run: applies the launch flags, plays the input script, records keys, writes
// the per-frame trace, takes screenshots and collects frame timings.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/automation/frame_stats.h"
#include "app/automation/input_script.h"
#include "app/automation/launch_flags.h"
#include "app/automation/output_file.h"
#include "app/automation/trace_writer.h"
#include "app/frame_observer.h"
#include "app/settings/settings.h"
#include "platform/pad/gamepad.h"

class Application;

class Automation : public FrameObserver {
public:
    explicit Automation(LaunchFlags flags);
    ~Automation() override;

    // Checks the files the flags name, reads the input script and opens the record and trace
    // files; false with the reason and the exit status: 2 for flags that cannot work (a folder as
    // script, one file named twice, a bad script), 1 for an output file that cannot be written. The
    // script's headers count as flags from here on, where no flag was given.
    bool Open(std::string* error, int* status = nullptr);
    // The flags with the script's choices added.
    const LaunchFlags& Flags() const { return flags; }
    // The course a script's header chose ("" for none or when --course was given).
    const std::string& ScriptCourse() const { return scriptCourse; }
    // Clock, message-box mode, random seed, the settings in force (a script's own, then the flags)
    // and the launch options of the application; also answers scripted for boxes before the first
    // frame (the full-screen question).
    void Configure(Application& application);
    // Between start-up and the first frame: a recording starts with the run's choices.
    void LoopStarting();
    void FrameStarting(std::uint64_t frame) override;
    void SceneStepped(std::uint64_t frame) override;
    void FramePresented(std::uint64_t frame, bool shown) override;
    bool MustShow(std::uint64_t frame) override;
    // After the main loop, while the device still exists.
    void LoopEnded();
    // After shut-down: closes the files and prints the statistics; false when anything the run
    // was asked to write (trace, recording, screenshots) could not be written.
    bool Finish();

    const FrameStats& Stats() const { return stats; }

private:
    using Clock = std::chrono::steady_clock;

    void RecordKeys(std::uint64_t frame);
    void RecordPad(std::uint64_t frame);
    void RecordPad(std::uint64_t frame, int pad);
    void WriteTrace(std::uint64_t frame, const std::vector<std::string>& sounds);
    void TakeScreenshots(std::uint64_t frame);
    bool CheckFileFlags(std::string* error) const;
    bool ReadScript(std::string* error);
    void TakeScriptChoices(const ScriptChoices& choices);
    // The settings in force for this run: the file's, a script's race choices, then the flags.
    void ApplySettings(Settings& values) const;
    // Says once on stderr that a file stopped being written.
    void ReportWriteFailure(const OutputFile& file, bool* reported);

    LaunchFlags flags;
    std::unique_ptr<InputScript> script;
    OutputFile record;
    OutputFile trace;
    bool recordReported = false;
    bool traceReported = false;
    bool screenshotFailed = false;
    TraceWriter traceLine;
    FrameStats stats;
    std::string phaseReport;
    std::string memoryReport;
    KeyBindings scriptBindings;
    KeyBindings scriptSecondBindings{KeyBindings::kSecondSet};
    std::string scriptCourse;
    Application* shell = nullptr;   // from Configure on
    std::vector<bool> recordedDown; // per ScriptKeys() entry
    std::array<platform::pad::State, platform::pad::kPads> recordedPads;
    std::uint64_t currentFrame = 0;
    Clock::time_point launched;
    Clock::time_point loopStarted; // the start of frame 1
    Clock::time_point frameStarted;
    Clock::time_point stepped;
};
