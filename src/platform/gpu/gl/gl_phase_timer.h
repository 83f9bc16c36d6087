// GPU-side time of the named parts of each frame, from GL timer queries (the --stats phase table).
//
// Phases run back to back: starting one ends the one before, and Present ends the last. A frame's
// queries are read right after its swap, when the picture (and so every query) is finished; a
// software rasterizer would have waited for the same work at the swap anyway.
// Does not: overlap or nest phases, or time anything while it is off (the default).
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gpu {

class GlPhaseTimer {
public:
    void Enable(bool on) { enabled_ = on; }
    bool Enabled() const { return enabled_; }
    void Begin(const char* name);
    // Ends the running phase and adds this frame's results.
    void EndFrame();
    void Release();
    // "phase_ms name=mean ... total=mean" over the frames timed; empty when nothing was timed.
    std::string Report() const;

private:
    struct Phase {
        std::string name;
        double totalMs = 0;
    };
    struct Pending {
        std::size_t phase;
        GLuint query;
    };
    void EndRunning();

    bool enabled_ = false;
    bool running_ = false;
    std::vector<Phase> phases_; // in the order first seen
    std::vector<Pending> pending_;
    std::vector<GLuint> spare_;
    std::uint64_t frames_ = 0;
};

} // namespace gpu
