// ResultBoard: the text parts of the race HUD — the split against the best under the clock after
// each checkpoint, and on the result screen the finishing order of all racers, the best time and
// "NEW RECORD".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/device.h"
#include "scenes/race_results.h"
#include "scenes/racer_labels.h"

// "1:23.45" (minutes, seconds, hundredths), as the clock shows it.
std::string FormatRaceTime(std::uint32_t ms);
// "−0.42" when faster than the best, "+1.10" when slower (the sign is U+2212 or '+'), "0.00" level.
std::string FormatSplitDelta(std::uint32_t splitMs, std::uint32_t bestMs);
// Green when faster than the best, red when slower, white when level: red would read as slower.
D3DCOLOR SplitColour(std::uint32_t splitMs, std::uint32_t bestMs);

class ResultBoard {
public:
    // What the result screen lists; filled by the race scene each frame it draws the result.
    struct Summary {
        std::vector<RaceResults::Standing> standings;
        std::uint32_t bestMs = 0; // 0: no best time known
        std::string difficulty;   // the level the best time belongs to
        bool newRecord = false;
        std::string nothingSaved;            // why the race was not saved (the pilot flew it, online)
        std::vector<RacerLabel> labels;      // per racer on the grid
        std::vector<std::int32_t> pointsWon; // per racer on the grid, in the championship; else empty
        std::string note;                    // a line under the best time (a shared screen's)
    };

    void Init();
    void Release();
    // Under the clock for two seconds after a checkpoint, against the best split (SplitColour);
    // nothing when that split has no best yet.
    void DrawSplit(const RaceResults::Split& split, std::uint32_t bestSplitMs, std::uint32_t nowMs);
    // A shared screen's split, which has no best to be measured against: its own time, as long.
    void DrawSplitTime(const RaceResults::Split& split, std::uint32_t nowMs);
    // The result screen's table and best time, faded in with `alpha` (0..255).
    void DrawResult(const Summary& summary, std::int32_t alpha);

    static constexpr std::uint32_t kSplitShownMs = 2000;

private:
    void DrawLine(const std::string& text, float x, float y, D3DCOLOR colour);

    std::unique_ptr<gpu::Font> font;
};
