// Hooks into the main loop for automation (scripted keys, traces, timings, screenshots).
#pragma once

#include <cstdint>

class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    // Frames are numbered from 1. Called before the scene step reads the keys.
    virtual void FrameStarting(std::uint64_t) {}
    // After the scene step (update and any scene change), before Render.
    virtual void SceneStepped(std::uint64_t) {}
    // After the frame's render: drawn and presented when `shown`; otherwise the loop was catching up
    // and the render ran with draws discarded.
    virtual void FramePresented(std::uint64_t, bool /*shown*/) {}
    // True when this frame must be shown even if the loop is catching up (a screenshot is due).
    virtual bool MustShow(std::uint64_t) { return false; }
};
