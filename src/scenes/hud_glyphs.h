// Shared pieces of the HUD: glyph cells of the number strip, the result fade and one glyph draw.
#pragma once

#include <array>
#include <cstdint>

#include "platform/math/d3dx_math.h"
#include "simplelib/texture.h"

namespace hud {

inline constexpr std::int32_t kCellSize = 100;
inline constexpr std::int32_t kFractionSeparatorCell = 10;
inline constexpr std::int32_t kMinuteSeparatorCell = 11;
inline constexpr std::int32_t kResultFadeStep = 2;

// The seven cells the clock shows, left to right: m : s s . f f (hundredths).
std::array<std::uint32_t, 7> ClockCells(std::uint32_t minutes, std::uint32_t seconds, std::uint32_t milliseconds);

// Cell k of number.png.
RECT CellRect(std::uint32_t cell);

// One result-screen frame of a fade-in: +2, at most 255.
std::int32_t StepResultAlpha(std::int32_t alpha);

// Draws `rect` of the texture with its top-left corner placed by `transform` through the shared sprite.
void DrawGlyph(SimpleLib::CTexture& texture, const RECT& rect, const D3DXMATRIX& transform, D3DCOLOR colour);

} // namespace hud
