// Shared pieces of the HUD: glyph cells, the result fade and the glyph draw.
#include "scenes/hud_glyphs.h"

#include <algorithm>

#include "render/graphics_device.h"

namespace hud {

std::size_t MinuteDigits(std::uint32_t minutes) {
    std::size_t digits = 1;
    for (; minutes >= 10; minutes /= 10) ++digits;
    return digits;
}

std::vector<std::uint32_t> ClockCells(std::uint32_t minutes, std::uint32_t seconds, std::uint32_t milliseconds) {
    // The strip holds single digits only: a long race's minutes take one cell per digit.
    std::vector<std::uint32_t> cells(MinuteDigits(minutes));
    for (auto cell = cells.rbegin(); cell != cells.rend(); ++cell, minutes /= 10) *cell = minutes % 10;
    cells.insert(cells.end(),
                 {static_cast<std::uint32_t>(kMinuteSeparatorCell), seconds / 10, seconds % 10,
                  static_cast<std::uint32_t>(kFractionSeparatorCell), milliseconds / 100, (milliseconds / 10) % 10});
    return cells;
}

RECT CellRect(std::uint32_t cell) {
    const auto left = static_cast<std::int32_t>(cell) * kCellSize;
    return RECT{left, 0, left + kCellSize, kCellSize};
}

std::int32_t StepResultAlpha(std::int32_t alpha) { return std::min(alpha + kResultFadeStep, 255); }

void DrawGlyph(SimpleLib::CTexture& texture, const RECT& rect, const D3DXMATRIX& transform, D3DCOLOR colour) {
    gpu::Sprite* sprite = GraphicsDevice::Instance().sprite.get();
    texture.rect = rect;
    if (!sprite || !texture.texture) return;
    sprite->SetTransform(&transform);
    sprite->Draw(texture.texture.get(), &texture.rect, nullptr, nullptr, colour);
}

} // namespace hud
