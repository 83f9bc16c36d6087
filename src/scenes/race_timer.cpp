// RaceTimer: the clock glyphs, a small strip at the top right while racing, large on the result.
#include "scenes/race_timer.h"

#include "render/graphics_device.h"
#include "scenes/hud_glyphs.h"

namespace {
constexpr const char* kNumberStrip = "data/Texture/number.png";
constexpr float kRacingScale = 0.5f;
constexpr float kRacingAdvance = 30.0f;
constexpr float kResultScale = 0.7f;
constexpr float kResultAdvance = 40.0f;
} // namespace

void RaceTimer::Init() {
    digits.Load(kNumberStrip, true);
    scaling = MatrixScaling(kRacingScale, kRacingScale, 0.0f);
    translation = MatrixTranslation(1000.0f, 10.0f, 0.0f);
    world = scaling * translation;
    minutes = seconds = milliseconds = 0;
}

void RaceTimer::Show(std::uint32_t elapsedMs) {
    minutes = elapsedMs / 60000;
    seconds = (elapsedMs / 1000) % 60;
    milliseconds = elapsedMs % 1000;
}

void RaceTimer::StepResultFade() { alpha = hud::StepResultAlpha(alpha); }

namespace {

// The clock's glyphs, each `advance` pixels right of the previous one. The last minute digit sits at
// `world`; extra minute digits of a long race grow to the left, so the seconds never move.
void DrawClock(RaceTimer& timer, float advance, D3DCOLOR colour) {
    const D3DXMATRIX step = MatrixTranslation(advance, 0.0f, 0.0f);
    const auto cells = hud::ClockCells(timer.minutes, timer.seconds, timer.milliseconds);
    const std::size_t extraDigits = hud::MinuteDigits(timer.minutes) - 1;
    if (extraDigits > 0)
        timer.world = timer.world * MatrixTranslation(-advance * static_cast<float>(extraDigits), 0.0f, 0.0f);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        hud::DrawGlyph(timer.digits, hud::CellRect(cells[i]), timer.world, colour);
        if (i + 1 < cells.size()) timer.world = timer.world * step;
    }
}

} // namespace

void RaceTimer::DrawRacing() {
    world = scaling * translation;
    DrawClock(*this, kRacingAdvance, 0xFFFFFFFF);
}

void RaceTimer::DrawResult() {
    world = MatrixScaling(kResultScale, kResultScale, 0.0f) *
            MatrixTranslation(ScreenWidth() * 0.5f, ScreenHeight() * 0.5f, 0.0f);
    DrawClock(*this, kResultAdvance, (static_cast<D3DCOLOR>(alpha) << 24) | 0xFFFFFF);
}
