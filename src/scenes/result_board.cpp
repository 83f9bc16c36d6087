// The result table and split texts, drawn with a larger face of the game's font through the sprite.
#include "scenes/result_board.h"

#include <cstdio>
#include <iterator>
#include <utility>

#include "render/graphics_device.h"
#include "scenes/hud_glyphs.h"

namespace {

constexpr int kFontHeight = 30;
constexpr D3DCOLOR kFaster = 0x40FF40;
constexpr D3DCOLOR kSlower = 0xFF4040;
constexpr D3DCOLOR kWhite = 0xFFFFFF;
constexpr D3DCOLOR kGold = 0xFFD040;
constexpr D3DCOLOR kGrey = 0xB0B0B0;
constexpr D3DCOLOR kShadow = 0x000000;
constexpr float kShadowOffset = 2.0f;

constexpr D3DCOLOR kAssisted = 0x50F0FF;

// Split text: right under the clock strip (x 1000, y 10, 50-pixel glyphs).
constexpr float kSplitX = 1010.0f, kSplitY = 62.0f;
// Result table: left of the final clock, below the big place numeral.
constexpr float kTableX = 120.0f, kTableY = 240.0f, kRowHeight = 40.0f;
constexpr float kNameX = 90.0f, kTimeX = 230.0f;
constexpr float kBestY = 450.0f;
// The keys of the result screen, under the blinking prompt.
constexpr float kKeysY = 668.0f;
constexpr const char* kKeysHint = "Space: race again      Enter: title";
constexpr const char* kChampionshipKeysHint = "Enter: the standings";
constexpr float kPointsX = 400.0f;

D3DCOLOR WithAlpha(D3DCOLOR rgb, std::int32_t alpha) { return (static_cast<D3DCOLOR>(alpha) << 24) | rgb; }

const char* PlaceSuffix(std::int32_t place) {
    switch (place) {
    case 1: return "st";
    case 2: return "nd";
    case 3: return "rd";
    default: return "th";
    }
}

} // namespace

std::string FormatRaceTime(std::uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u.%02u", ms / 60000, (ms / 1000) % 60, (ms % 1000) / 10);
    return text;
}

std::string FormatSplitDelta(std::uint32_t splitMs, std::uint32_t bestMs) {
    const bool faster = splitMs < bestMs;
    const std::uint32_t gap = faster ? bestMs - splitMs : splitMs - bestMs;
    const char* sign = faster ? "\xE2\x88\x92" : splitMs > bestMs ? "+" : "";
    char text[32];
    std::snprintf(text, sizeof text, "%s%u.%02u", sign, gap / 1000, (gap % 1000) / 10);
    return text;
}

D3DCOLOR SplitColour(std::uint32_t splitMs, std::uint32_t bestMs) {
    return splitMs < bestMs ? kFaster : splitMs > bestMs ? kSlower : kWhite;
}

void ResultBoard::Init() {
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (!device) return;
    D3DXFONT_DESCA desc = GraphicsDevice::Instance().fontDesc;
    desc.Height = kFontHeight;
    font = device->CreateFont(desc);
}

void ResultBoard::Release() { font.reset(); }

// A dark copy just below and to the right keeps the text readable over a bright sky or the snow.
void ResultBoard::DrawLine(const std::string& text, float x, float y, D3DCOLOR colour) {
    gpu::Sprite* sprite = GraphicsDevice::Instance().sprite.get();
    if (!font || !sprite) return;
    const D3DCOLOR shadow = (colour & 0xFF000000) | kShadow;
    for (const auto& [offset, tint] : {std::pair{kShadowOffset, shadow}, std::pair{0.0f, colour}}) {
        const D3DXMATRIX at = MatrixTranslation(x + offset, y + offset, 0.0f);
        sprite->SetTransform(&at);
        RECT area{};
        font->DrawTextA(sprite, text.c_str(), -1, &area, DT_LEFT | DT_TOP, tint);
    }
}

void ResultBoard::DrawSplit(const RaceResults::Split& split, std::uint32_t bestSplitMs, std::uint32_t nowMs) {
    if (bestSplitMs == 0 || nowMs - split.passedAtMs >= kSplitShownMs) return;
    DrawLine(FormatSplitDelta(split.splitMs, bestSplitMs), kSplitX, kSplitY,
             WithAlpha(SplitColour(split.splitMs, bestSplitMs), 255));
}

void ResultBoard::DrawSplitTime(const RaceResults::Split& split, std::uint32_t nowMs) {
    if (nowMs - split.passedAtMs >= kSplitShownMs) return;
    DrawLine(FormatRaceTime(split.splitMs), kSplitX, kSplitY, WithAlpha(kWhite, 255));
}

void ResultBoard::DrawResult(const Summary& summary, std::int32_t alpha) {
    float y = kTableY;
    for (const RaceResults::Standing& row : summary.standings) {
        const RacerLabel label = row.racer < summary.labels.size() ? summary.labels[row.racer] : RacerLabel{"?", kGrey};
        char place[16];
        std::snprintf(place, sizeof place, "%d%s", row.place, PlaceSuffix(row.place));
        DrawLine(place, kTableX, y, WithAlpha(kWhite, alpha));
        DrawLine(label.name, kTableX + kNameX, y, WithAlpha(label.colour, alpha));
        DrawLine(row.finished ? FormatRaceTime(row.timeMs) : "flying", kTableX + kTimeX, y,
                 WithAlpha(row.finished ? kWhite : kGrey, alpha));
        if (row.racer < summary.pointsWon.size())
            DrawLine("+" + std::to_string(summary.pointsWon[row.racer]), kTableX + kPointsX, y,
                     WithAlpha(kGold, alpha));
        y += kRowHeight;
    }
    const float clockX = ScreenWidth() * 0.5f;
    if (summary.bestMs > 0)
        DrawLine("Best " + FormatRaceTime(summary.bestMs) + "  (" + summary.difficulty + ")", clockX, kBestY,
                 WithAlpha(kWhite, alpha));
    if (summary.newRecord) DrawLine("NEW RECORD", clockX, kBestY + kRowHeight, WithAlpha(kGold, alpha));
    if (!summary.nothingSaved.empty())
        DrawLine(summary.nothingSaved, clockX, kBestY + kRowHeight, WithAlpha(kAssisted, alpha));
    if (!summary.note.empty()) DrawLine(summary.note, clockX, kBestY, WithAlpha(kGrey, alpha));
    DrawLine(summary.pointsWon.empty() ? kKeysHint : kChampionshipKeysHint, ScreenWidth() * 0.36f, kKeysY,
             WithAlpha(kGrey, alpha));
}
