// Shared pieces of the HUD: glyph cells of the number strip, the result fade and one glyph draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/math/d3dx_math.h"
#include "simplelib/texture.h"

namespace hud {

inline constexpr std::int32_t kCellSize = 100;
inline constexpr std::int32_t kFractionSeparatorCell = 10;
inline constexpr std::int32_t kMinuteSeparatorCell = 11;
inline constexpr std::int32_t kResultFadeStep = 2;

// The cells the clock shows, left to right: the minutes with as many digits as they need, then
// : s s . f f (hundredths). Below ten minutes that is seven cells.
std::vector<std::uint32_t> ClockCells(std::uint32_t minutes, std::uint32_t seconds, std::uint32_t milliseconds);

// How many digits the minutes take: 1 up to 9, 2 up to 99, and so on.
std::size_t MinuteDigits(std::uint32_t minutes);

// Cell k of number.png.
RECT CellRect(std::uint32_t cell);

// One result-screen frame of a fade-in: +2, at most 255.
std::int32_t StepResultAlpha(std::int32_t alpha);

// Draws `rect` of the texture with its top-left corner placed by `transform` through the shared sprite.
void DrawGlyph(SimpleLib::CTexture& texture, const RECT& rect, const D3DXMATRIX& transform, D3DCOLOR colour);

} // namespace hud
