// The gamepad: SDL's game-controller API, with hot-plug and a virtual controller for scripts.
//
// Stands in for: nothing the game had; this is how a pad reaches the game's keys. Once a frame
// Poll opens a controller that was plugged in, drops one that was pulled out (the keys it held are
// let go), reads buttons and axes, and hands them to the key state as game keys (the layout below),
// so the race never knows a key came from a pad. Sticks are analog with a dead zone of 0.2: the
// game key's amount is the deflection.
//
//   left stick x / y     turn left, right / nose up (stick up), nose down   (analog)
//   right trigger or A   throttle            left trigger or B   boost
//   Y                    automatic pilot     X                   swap nose up/down
//   Start                Enter and pause     Back                Escape
//   D-pad or left stick  menu navigation
//
// Scripts and tests drive a virtual controller through SDL's virtual joystick, so the same open,
// read and unplug path runs as with a real pad. In VirtualOnly mode real pads are ignored, so an
// automated run never depends on what is plugged into the machine.
// Does not: several pads at once, rumble, rebinding pad buttons, the right stick.
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

enum class Source { Any, VirtualOnly };

// Starts the game-controller subsystem; false with SDL's reason (the game goes on without a pad).
bool Start(Source source, std::string* error);
bool Started();
void Stop();
// Once a frame, before the scene reads its keys.
void Poll();
const State& Current();

// The virtual controller (starts the subsystem in VirtualOnly mode when needed).
bool ConnectVirtual(std::string* error);
void DisconnectVirtual();
void SetVirtualButton(int button, bool down);
// Sticks take -1..1, triggers 0..1 (released at 0).
void SetVirtualAxis(int axis, float value);

} // namespace platform::pad
