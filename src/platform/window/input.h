// Keyboard state by Windows virtual-key code, with key bindings and the gamepads folded in.
//
// Stands in for: GetAsyncKeyState. The game keeps its own once-per-press latches; this module only
// answers "is the key down now". Two layers: the physical keys (written by the window's event pump,
// the input script or tests, through SetKeyDown) and the game keys the game asks about. One
// keyboard carries two binding sets, so two people can share it: in set 1 a game key with bindings
// is held by any of its bound physical keys and one without by the physical key of the same code
// (the navigation keys by the arrow keys, whatever the bindings say); in set 2 a game key is held
// only by the physical keys bound to it. Each of four pads adds its own share to the game keys
// (SetPadKey), so the game never knows where a key came from.
//
// Whoever asks names a Source: one binding set (or none) and the pads it listens to. The Source
// of the lone player, and of the calls without one, is set 1 and every pad.
// Does not: text input, key repeat, mouse.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int VK_BACK = 0x08;
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
// The keys beside the letters that an address is typed with: ; (and :), - and .
inline constexpr int VK_OEM_1 = 0xBA;
inline constexpr int VK_OEM_MINUS = 0xBD;
inline constexpr int VK_OEM_PERIOD = 0xBE;
// Windows' UI navigation codes: menus move with these.
inline constexpr int VK_NAVIGATION_UP = 0x8A;
inline constexpr int VK_NAVIGATION_DOWN = 0x8B;
inline constexpr int VK_NAVIGATION_LEFT = 0x8C;
inline constexpr int VK_NAVIGATION_RIGHT = 0x8D;
// Windows' code of a pad's A button: a pad asks to join with it.
inline constexpr int VK_GAMEPAD_A = 0xC3;

// Bit 0x8000 of the result is set while the game key is held (set 1 and every pad).
std::int16_t GetAsyncKeyState(int virtualKey);

namespace platform::input {
inline constexpr int kKeySets = 2;
inline constexpr int kPads = 4;
inline constexpr std::uint32_t kEveryPad = (1u << kPads) - 1;

// What one person's keys are: a binding set of the keyboard (0 or 1, -1 for none) and the pads of
// a mask (bit p for pad p, numbered from 0 here and from 1 on screen).
struct Source {
    int keySet = 0;
    std::uint32_t pads = kEveryPad;
    bool operator==(const Source&) const = default;
};

// Physical keys.
void SetKeyDown(int virtualKey, bool down);
bool PhysicalKeyDown(int virtualKey);
// Releases every physical key and every pad's share.
void ReleaseAllKeys();

// The physical keys that hold `gameKey` in a binding set (replacing earlier ones); an empty list
// drops the binding. Without a set: set 1.
void BindKey(int gameKey, const std::vector<int>& physicalKeys);
void BindKey(int keySet, int gameKey, const std::vector<int>& physicalKeys);
// Every binding of every set dropped: set 1's game keys back to their own physical keys, set 2 empty.
void ClearBindings();

// How far a game key is held, 0 to 1: 1 for a held key, the deflection of a pad stick.
float KeyAmount(int gameKey);
float KeyAmount(const Source& source, int gameKey);
// A pad's share of a game key, 0 to 1; each pad sets every key it drives once a frame. Without a
// pad: pad 0.
void SetPadKey(int gameKey, float amount);
void SetPadKey(int pad, int gameKey, float amount);
void ClearPadKeys();
void ClearPadKeys(int pad);
// Whether a pad is plugged in (the pad module keeps this up to date).
void SetPadConnected(int pad, bool connected);
bool PadConnected(int pad);
// How many times the game key has been pressed since the program started (any of its physical keys
// going down, or a pad's share rising from zero), counted as the key events arrive: a press and
// release between two reads still counts.
std::uint32_t KeyPresses(int gameKey);
std::uint32_t KeyPresses(const Source& source, int gameKey);
} // namespace platform::input
