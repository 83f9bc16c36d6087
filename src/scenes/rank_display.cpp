// RankDisplay: the place numeral and suffix, small at the top during the race, large on the result.
#include "scenes/rank_display.h"

#include "render/graphics_device.h"
#include "scenes/hud_glyphs.h"

namespace {
constexpr const char* kNumberStrip = "data/Texture/number.png";
constexpr const char* kSuffixStrip = "data/Texture/rank.png";
constexpr std::int32_t kFirstPlaceCell = 12; // 12, 13, 14: the numerals of 1st to 3rd
constexpr std::int32_t kSuffixWidth = 105;
constexpr std::int32_t kSuffixHeight = 60;
constexpr std::int32_t kOtherPlaceSuffixRow = 3;
constexpr float kRacingScale = 0.7f;
constexpr float kRacingTop = 10.0f;
constexpr float kResultTop = 100.0f;
} // namespace

RECT RankDisplay::NumeralRect(std::int32_t place) {
    const bool special = place >= 1 && place <= 3;
    return hud::CellRect(static_cast<std::uint32_t>(special ? kFirstPlaceCell + place - 1 : place));
}

RECT RankDisplay::SuffixRect(std::int32_t place) {
    const std::int32_t row = place >= 1 && place <= 3 ? place - 1 : kOtherPlaceSuffixRow;
    return RECT{0, row * kSuffixHeight, kSuffixWidth, (row + 1) * kSuffixHeight};
}

void RankDisplay::Init() {
    digits.Load(kNumberStrip, true);
    PlaceOnScreen();
    suffixes.Load(kSuffixStrip, true);
}

void RankDisplay::PlaceOnScreen() {
    scaling = MatrixScaling(kRacingScale, kRacingScale, 0.0f);
    translation = MatrixTranslation(ScreenWidth() * 0.5f, kRacingTop, 0.0f);
    world = scaling * translation;
}

void RankDisplay::DrawPlace(const D3DXMATRIX& numeralTransform, const D3DXMATRIX& suffixTransform, D3DCOLOR colour) {
    hud::DrawGlyph(digits, NumeralRect(place), numeralTransform, colour);
    hud::DrawGlyph(suffixes, SuffixRect(place), suffixTransform, colour);
}

void RankDisplay::DrawRacing() { DrawPlace(world, world * MatrixTranslation(60.0f, 30.0f, 0.0f), 0xFFFFFFFF); }

void RankDisplay::DrawResult() {
    const D3DXMATRIX placed =
        MatrixScaling(1.0f, 1.0f, 0.0f) * MatrixTranslation(ScreenWidth() * 0.4f, kResultTop, 0.0f);
    const D3DCOLOR colour = (static_cast<D3DCOLOR>(alpha) << 24) | 0xFFFFFF;
    DrawPlace(placed, placed * MatrixTranslation(80.0f, 40.0f, 0.0f), colour);
}

void RankDisplay::StepResultFade() { alpha = hud::StepResultAlpha(alpha); }

void RankDisplay::Release() {
    digits.Release();
    suffixes.Release();
}
