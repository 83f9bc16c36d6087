// Shared pieces of the HUD: glyph cells, the result fade and the glyph draw.
#include "scenes/hud_glyphs.h"

#include <algorithm>

#include "render/graphics_device.h"

namespace hud {

std::array<std::uint32_t, 7> ClockCells(std::uint32_t minutes, std::uint32_t seconds, std::uint32_t milliseconds) {
    return {minutes,
            static_cast<std::uint32_t>(kMinuteSeparatorCell),
            seconds / 10,
            seconds % 10,
            static_cast<std::uint32_t>(kFractionSeparatorCell),
            milliseconds / 100,
            (milliseconds / 10) % 10};
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
