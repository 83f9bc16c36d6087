// Wall time of the named parts of each frame, for the --stats phase table.
//
// Phases run back to back: starting one ends the one before, and Present ends the last. GPU timer
// queries cannot be trusted here (a software rasterizer reports when commands were queued or binned,
// not when pixels were drawn), so a timed frame finishes the GL work at every phase boundary and
// reads the clock: a phase's time is everything it cost, submission and drawing, and the phases of
// a frame add up to its render time. Finishing splits the rasterizer's batches, which costs a little,
// so only one frame in kSampleEvery is timed and the rest run as usual.
// Does not: overlap or nest phases, or time anything while it is off (the default).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace gpu {

class GlPhaseTimer {
public:
    static constexpr std::uint64_t kSampleEvery = 8;

    void Enable(bool on) { enabled_ = on; }
    bool Enabled() const { return enabled_; }
    void Begin(const char* name);
    // Ends the running phase and counts the frame.
    void EndFrame();
    // "phase_ms name=mean ... total=mean": each phase's mean over the timed frames it ran in, and the
    // mean time of a timed frame; empty when nothing was timed.
    std::string Report() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Phase {
        std::string name;
        double totalMs = 0;
        std::uint64_t frames = 0;    // timed frames the phase ran in
        std::uint64_t lastFrame = 0; // 1 + the frame it last ran in
    };
    bool Timing() const { return enabled_ && frame_ % kSampleEvery == 0; }
    void EndRunning();

    bool enabled_ = false;
    bool running_ = false;
    std::size_t current_ = 0;
    Clock::time_point start_;
    std::vector<Phase> phases_; // in the order first seen
    std::uint64_t frame_ = 0;
    std::uint64_t timedFrames_ = 0;
    double timedMs_ = 0;
};

} // namespace gpu
