// Per-phase wall time of sampled frames, with the GL work finished at each boundary.
#include "platform/gpu/gl/gl_phase_timer.h"

#include <epoxy/gl.h>

#include <cstdio>

namespace gpu {

void GlPhaseTimer::Begin(const char* name) {
    if (!Timing()) return;
    EndRunning();
    std::size_t index = 0;
    while (index < phases_.size() && phases_[index].name != name) ++index;
    if (index == phases_.size()) phases_.push_back({name});
    Phase& phase = phases_[index];
    if (phase.lastFrame != frame_ + 1) {
        phase.lastFrame = frame_ + 1;
        ++phase.frames;
    }
    current_ = index;
    running_ = true;
    start_ = Clock::now();
}

void GlPhaseTimer::EndRunning() {
    if (!running_) return;
    glFinish();
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
    phases_[current_].totalMs += ms;
    timedMs_ += ms;
    running_ = false;
}

void GlPhaseTimer::EndFrame() {
    if (!enabled_) return;
    if (Timing()) {
        EndRunning();
        ++timedFrames_;
    }
    ++frame_;
}

std::string GlPhaseTimer::Report() const {
    if (timedFrames_ == 0) return {};
    std::string line = "phase_ms";
    char item[96];
    for (const Phase& phase : phases_) {
        double mean = phase.frames ? phase.totalMs / double(phase.frames) : 0.0;
        std::snprintf(item, sizeof item, " %s=%.2f", phase.name.c_str(), mean);
        line += item;
    }
    std::snprintf(item, sizeof item, " total=%.2f\n", timedMs_ / double(timedFrames_));
    return line + item;
}

} // namespace gpu
