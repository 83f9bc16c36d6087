// Keyboard state by Windows virtual-key code, with key bindings and the gamepad folded in.
//
// Stands in for: GetAsyncKeyState. The game keeps its own once-per-press latches; this module only
// answers "is the key down now". Two layers: the physical keys (written by the window's event pump,
// the input script or tests, through SetKeyDown) and the game keys the game asks about. A game key
// with bindings is held by any of its bound physical keys; one without is held by the physical key
// of the same code. The gamepad adds its own share to game keys (SetPadKey), so the game never
// knows where a key came from. The navigation keys are held by the arrow keys whatever the
// bindings say, and by the pad's D-pad and stick.
// Does not: text input, key repeat, mouse.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_F1 = 0x70;
// Windows' UI navigation codes: menus move with these.
inline constexpr int VK_NAVIGATION_UP = 0x8A;
inline constexpr int VK_NAVIGATION_DOWN = 0x8B;
inline constexpr int VK_NAVIGATION_LEFT = 0x8C;
inline constexpr int VK_NAVIGATION_RIGHT = 0x8D;

// Bit 0x8000 of the result is set while the game key is held.
std::int16_t GetAsyncKeyState(int virtualKey);

namespace platform::input {
// Physical keys.
void SetKeyDown(int virtualKey, bool down);
bool PhysicalKeyDown(int virtualKey);
// Releases every physical key and the pad's share.
void ReleaseAllKeys();

// The physical keys that hold `gameKey` (replacing earlier ones); an empty list drops the binding.
void BindKey(int gameKey, const std::vector<int>& physicalKeys);
// Every game key back to its own physical key.
void ClearBindings();

// How far a game key is held, 0 to 1: 1 for a held key, the deflection of a pad stick.
float KeyAmount(int gameKey);
// The pad's share of a game key, 0 to 1; the pad sets every key it drives once a frame.
void SetPadKey(int gameKey, float amount);
void ClearPadKeys();
// How many times the game key has been pressed since the program started (any of its physical keys
// going down, or the pad's share rising from zero), counted as the key events arrive: a press and
// release between two reads still counts.
std::uint32_t KeyPresses(int gameKey);
} // namespace platform::input
