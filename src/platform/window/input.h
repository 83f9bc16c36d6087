// Keyboard state by Windows virtual-key code.
//
// Stands in for: GetAsyncKeyState. The game keeps its own once-per-press latches; this module only
// answers "is the key down now". The state is written by the window's event pump (real keys) or by
// the input script (automation) or by tests, through SetKeyDown.
// Does not: text input, key repeat, mouse.
#pragma once

#include <cstdint>

inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;

// Bit 0x8000 of the result is set while the key is held.
std::int16_t GetAsyncKeyState(int virtualKey);

namespace platform::input {
void SetKeyDown(int virtualKey, bool down);
void ReleaseAllKeys();
} // namespace platform::input
