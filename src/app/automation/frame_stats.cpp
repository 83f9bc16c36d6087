// Percentiles by sorting a copy: runs are at most a few hundred thousand frames.
#include "app/automation/frame_stats.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <sys/resource.h>

namespace {
std::chrono::steady_clock::time_point& ProcessStart() {
    static std::chrono::steady_clock::time_point start; // constant-initialised: usable before constructors
    return start;
}

void MarkProcessStart(int, char**, char**) { ProcessStart() = std::chrono::steady_clock::now(); }

// The executable's pre-initialisation hooks run right after the loader and before every constructor,
// the shared libraries' included, so launch times count all start-up work that is the game's own.
[[gnu::section(".preinit_array"), gnu::used]] void (*const kMarkProcessStart)(int, char**, char**) = MarkProcessStart;
} // namespace

double MillisecondsSinceProcessStart() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - ProcessStart()).count();
}

TimingSummary Summarize(std::vector<double> samples) {
    TimingSummary summary;
    if (samples.empty()) return summary;
    std::sort(samples.begin(), samples.end());
    auto rank = [&](double fraction) {
        std::size_t index = std::size_t(std::ceil(fraction * double(samples.size())));
        return samples[std::clamp<std::size_t>(index, 1, samples.size()) - 1];
    };
    summary.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / double(samples.size());
    summary.p50 = rank(0.50);
    summary.p99 = rank(0.99);
    summary.max = samples.back();
    return summary;
}

double PeakResidentMegabytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void FrameStats::AddFrame(double update, double render) {
    updateMs.push_back(update);
    if (render >= 0) renderMs.push_back(render);
}

double FrameStats::RenderedPerSecond() const { return loopMs > 0 ? double(renderMs.size()) * 1000.0 / loopMs : 0.0; }

void FrameStats::AddRaceFrame(double frameMs, bool shown) {
    raceMs += frameMs;
    if (shown) ++raceRendered;
}

std::string FrameStats::Report() const {
    auto line = [](const char* name, const TimingSummary& s) {
        char text[160];
        std::snprintf(text, sizeof text, "%s mean=%.4f p50=%.4f p99=%.4f max=%.4f\n", name, s.mean, s.p50, s.p99,
                      s.max);
        return std::string(text);
    };
    char tail[224];
    std::snprintf(tail, sizeof tail,
                  "peak_rss_mb %.1f\nfirst_frame_ms %.1f\nlaunch_to_title_ms %.1f\nrendered_fps %.2f\nrace_fps %.2f\n",
                  PeakResidentMegabytes(), firstFrameMs, launchToTitleMs, RenderedPerSecond(), RacePerSecond());
    return "frames " + std::to_string(updateMs.size()) + "\nrendered " + std::to_string(renderMs.size()) + "\n" +
           line("update_ms", Summarize(updateMs)) + line("render_ms", Summarize(renderMs)) + tail;
}
