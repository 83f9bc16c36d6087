// The gamepads: SDL's game-controller API, up to four pads with hot-plug, and virtual controllers
// for scripts.
//
// Stands in for: nothing the game had; this is how a pad reaches the game's keys. Once a frame
// Poll opens controllers that were plugged in, drops those that were pulled out (the keys they held
// are let go), reads buttons and axes, and hands them to the key state as game keys of their own
// pad (the layout below), so the race never knows a key came from a pad. Sticks are analog with a
// dead zone of 0.2: the game key's amount is the deflection.
//
// Pads are numbered 0 to 3 here (1 to 4 on screen). A pad plugged in takes the lowest free number;
// one pulled out frees its number, so the next pad plugged in takes it back.
//
//   left stick x / y     turn left, right / nose up (stick up), nose down   (analog)
//   right trigger or A   throttle            left trigger or B   boost
//   Y                    automatic pilot     X                   swap nose up/down
//   Start                Enter and pause     Back                Escape
//   D-pad or left stick  menu navigation     A                   also VK_GAMEPAD_A (joining)
//
// Scripts and tests drive virtual controllers through SDL's virtual joystick, so the same open,
// read and unplug path runs as with a real pad; virtual pad N always takes number N. In VirtualOnly
// mode real pads are ignored, so an automated run never depends on what is plugged into the machine.
// Does not: more than four pads, rumble, rebinding pad buttons, the right stick.
#pragma once

#include <array>
#include <string>

namespace platform::pad {

// SDL's button and axis names (A B X Y BACK GUIDE START LEFTSTICK RIGHTSTICK LEFTSHOULDER
// RIGHTSHOULDER DPAD_UP DPAD_DOWN DPAD_LEFT DPAD_RIGHT; LEFTX LEFTY RIGHTX RIGHTY TRIGGERLEFT
// TRIGGERRIGHT), in SDL's order; -1 for a name it does not know.
inline constexpr int kButtons = 15;
inline constexpr int kAxes = 6;
int ButtonFromName(const std::string& name);
int AxisFromName(const std::string& name);
std::string ButtonName(int button);
std::string AxisName(int axis);

struct State {
    bool connected = false;
    std::array<bool, kButtons> buttons{};
    std::array<float, kAxes> axes{}; // sticks -1..1, triggers 0..1
    bool operator==(const State&) const = default;
};

inline constexpr int kPads = 4;

enum class Source { Any, VirtualOnly };

// Starts the game-controller subsystem; false with SDL's reason (the game goes on without a pad).
bool Start(Source source, std::string* error);
bool Started();
void Stop();
// Once a frame, before the scene reads its keys.
void Poll();
// Pad `pad` as the last Poll read it (not connected for a number out of range).
const State& Current(int pad = 0);

// Virtual controller `pad` (starts the subsystem in VirtualOnly mode when needed).
bool ConnectVirtual(std::string* error, int pad = 0);
void DisconnectVirtual(int pad = 0);
void SetVirtualButton(int button, bool down, int pad = 0);
// Sticks take -1..1, triggers 0..1 (released at 0).
void SetVirtualAxis(int axis, float value, int pad = 0);

} // namespace platform::pad
