// Frame timings of a run (update and render per frame) and the process's peak memory, for --stats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TimingSummary {
    double mean = 0, p50 = 0, p99 = 0, max = 0;
};

// Nearest-rank percentiles over the samples; all zero when there are none.
TimingSummary Summarize(std::vector<double> samples);
// Peak resident set size of this process in MiB.
double PeakResidentMegabytes();
// Milliseconds since the program's first instruction after the loader, before any static constructor.
double MillisecondsSinceProcessStart();

class FrameStats {
public:
    // A negative render time marks a frame whose picture was skipped (the loop catching up).
    void AddFrame(double updateMs, double renderMs);
    void SetFirstFrameMs(double ms) { firstFrameMs = ms; }
    void SetLaunchToTitleMs(double ms) { launchToTitleMs = ms; }
    // Wall time of the main loop so far, from the first frame's start to the last picture.
    void SetLoopMs(double ms) { loopMs = ms; }
    // Pictures per second of loop wall time (what a player sees, start-up excluded); 0 before any.
    double RenderedPerSecond() const;
    // A frame of the race scene (update to presented): the race's own rate, without the title's frames.
    void AddRaceFrame(double frameMs, bool shown);
    double RacePerSecond() const { return raceMs > 0 ? double(raceRendered) * 1000.0 / raceMs : 0.0; }
    // The lines printed at exit: frames, rendered, update_ms, render_ms, peak_rss_mb, first_frame_ms,
    // launch_to_title_ms, rendered_fps, race_fps.
    std::string Report() const;
    std::size_t Frames() const { return updateMs.size(); }
    std::size_t Rendered() const { return renderMs.size(); }

private:
    std::vector<double> updateMs;
    std::vector<double> renderMs;
    double firstFrameMs = 0;
    double launchToTitleMs = 0;
    double loopMs = 0;
    double raceMs = 0;
    std::size_t raceRendered = 0;
};
