// Game controller through SDL: hot-plug by polling, the pad layout onto game keys, the virtual pad.
#include "platform/pad/gamepad.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/window/input.h"

namespace platform::pad {
namespace {
constexpr const char* kButtonNames[kButtons] = {"A",
                                                "B",
                                                "X",
                                                "Y",
                                                "BACK",
                                                "GUIDE",
                                                "START",
                                                "LEFTSTICK",
                                                "RIGHTSTICK",
                                                "LEFTSHOULDER",
                                                "RIGHTSHOULDER",
                                                "DPAD_UP",
                                                "DPAD_DOWN",
                                                "DPAD_LEFT",
                                                "DPAD_RIGHT"};
constexpr const char* kAxisNames[kAxes] = {"LEFTX", "LEFTY", "RIGHTX", "RIGHTY", "TRIGGERLEFT", "TRIGGERRIGHT"};
constexpr float kDeadZone = 0.2f;
constexpr float kMenuDeflection = 0.5f; // the stick moves menus once pushed half-way
constexpr float kAxisScale = 32767.0f;

bool started = false;
Source source = Source::Any;
SDL_GameController* controller = nullptr;
int virtualIndex = -1;                // device index of our virtual joystick, -1 when none
SDL_Joystick* virtualStick = nullptr; // opened so scripts can set it before the game opens it
State state;

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsTrigger(int axis) { return axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT; }

float Beyond(float value) { return std::fabs(value) >= kDeadZone ? std::min(std::fabs(value), 1.0f) : 0.0f; }

void OpenAttached() {
    for (int i = 0; i < SDL_NumJoysticks() && !controller; ++i) {
        if (!SDL_IsGameController(i)) continue;
        if (source == Source::VirtualOnly && !SDL_JoystickIsVirtual(i)) continue;
        controller = SDL_GameControllerOpen(i);
    }
}

void Read() {
    state = State{};
    if (!controller) return;
    state.connected = true;
    for (int b = 0; b < kButtons; ++b)
        state.buttons[b] = SDL_GameControllerGetButton(controller, static_cast<SDL_GameControllerButton>(b)) != 0;
    for (int a = 0; a < kAxes; ++a) {
        float value = SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(a)) / kAxisScale;
        state.axes[a] = std::clamp(value, -1.0f, 1.0f);
    }
}

// The pad layout: what each button and stick holds among the game keys.
void HandToKeys() {
    using namespace platform::input;
    auto button = [](int b) { return state.buttons[b] ? 1.0f : 0.0f; };
    const float x = state.axes[SDL_CONTROLLER_AXIS_LEFTX], y = state.axes[SDL_CONTROLLER_AXIS_LEFTY];
    SetPadKey(VK_RIGHT, x > 0 ? Beyond(x) : 0.0f);
    SetPadKey(VK_LEFT, x < 0 ? Beyond(x) : 0.0f);
    SetPadKey(VK_UP, y < 0 ? Beyond(y) : 0.0f);
    SetPadKey(VK_DOWN, y > 0 ? Beyond(y) : 0.0f);
    const bool throttle =
        state.buttons[SDL_CONTROLLER_BUTTON_A] || state.axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] >= kDeadZone;
    const bool boost =
        state.buttons[SDL_CONTROLLER_BUTTON_B] || state.axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT] >= kDeadZone;
    SetPadKey(VK_SPACE, throttle ? 1.0f : 0.0f);
    SetPadKey(VK_SHIFT, boost ? 1.0f : 0.0f);
    SetPadKey('C', button(SDL_CONTROLLER_BUTTON_Y));
    SetPadKey('R', button(SDL_CONTROLLER_BUTTON_X));
    SetPadKey(VK_RETURN, button(SDL_CONTROLLER_BUTTON_START));
    SetPadKey('P', button(SDL_CONTROLLER_BUTTON_START));
    SetPadKey(VK_ESCAPE, button(SDL_CONTROLLER_BUTTON_BACK));
    SetPadKey(VK_NAVIGATION_UP, std::max(button(SDL_CONTROLLER_BUTTON_DPAD_UP), y <= -kMenuDeflection ? 1.0f : 0.0f));
    SetPadKey(VK_NAVIGATION_DOWN,
              std::max(button(SDL_CONTROLLER_BUTTON_DPAD_DOWN), y >= kMenuDeflection ? 1.0f : 0.0f));
    SetPadKey(VK_NAVIGATION_LEFT,
              std::max(button(SDL_CONTROLLER_BUTTON_DPAD_LEFT), x <= -kMenuDeflection ? 1.0f : 0.0f));
    SetPadKey(VK_NAVIGATION_RIGHT,
              std::max(button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), x >= kMenuDeflection ? 1.0f : 0.0f));
}
} // namespace

int ButtonFromName(const std::string& name) {
    for (int b = 0; b < kButtons; ++b)
        if (Upper(name) == kButtonNames[b]) return b;
    return -1;
}
int AxisFromName(const std::string& name) {
    for (int a = 0; a < kAxes; ++a)
        if (Upper(name) == kAxisNames[a]) return a;
    return -1;
}
std::string ButtonName(int button) { return button >= 0 && button < kButtons ? kButtonNames[button] : ""; }
std::string AxisName(int axis) { return axis >= 0 && axis < kAxes ? kAxisNames[axis] : ""; }

bool Start(Source wanted, std::string* error) {
    if (started) return true;
    source = wanted;
    // Scripted runs drive the virtual pad whether or not the window has the focus.
    if (source == Source::VirtualOnly) SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        if (error) *error = std::string("no gamepad support: ") + SDL_GetError();
        return false;
    }
    // The state is polled once a frame; no events pile up in the queue.
    SDL_GameControllerEventState(SDL_IGNORE);
    SDL_JoystickEventState(SDL_IGNORE);
    started = true;
    return true;
}

bool Started() { return started; }

void Stop() {
    if (!started) return;
    DisconnectVirtual();
    if (controller) SDL_GameControllerClose(controller);
    controller = nullptr;
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started = false;
    state = State{};
    platform::input::ClearPadKeys();
}

void Poll() {
    if (!started) return;
    SDL_GameControllerUpdate();
    if (controller && !SDL_GameControllerGetAttached(controller)) {
        SDL_GameControllerClose(controller);
        controller = nullptr;
    }
    if (!controller) OpenAttached();
    Read();
    HandToKeys();
}

const State& Current() { return state; }

bool ConnectVirtual(std::string* error) {
    if (!started && !Start(Source::VirtualOnly, error)) return false;
    if (virtualIndex >= 0) return true;
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Orlenda virtual pad";
    virtualIndex = SDL_JoystickAttachVirtualEx(&desc);
    if (virtualIndex < 0) {
        if (error) *error = std::string("cannot attach the virtual pad: ") + SDL_GetError();
        return false;
    }
    virtualStick = SDL_JoystickOpen(virtualIndex);
    // Triggers rest at the bottom of their travel.
    SetVirtualAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0.0f);
    SetVirtualAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.0f);
    return true;
}

void DisconnectVirtual() {
    if (virtualIndex < 0) return;
    if (virtualStick) SDL_JoystickClose(virtualStick);
    virtualStick = nullptr;
    // The device index may have moved as other pads came and went; find ours again.
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickIsVirtual(i)) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
    virtualIndex = -1;
}

void SetVirtualButton(int button, bool down) {
    if (virtualStick && button >= 0 && button < kButtons)
        SDL_JoystickSetVirtualButton(virtualStick, button, down ? 1 : 0);
}

void SetVirtualAxis(int axis, float value) {
    if (!virtualStick || axis < 0 || axis >= kAxes) return;
    // A trigger's raw axis runs over the whole range from released to fully pressed.
    float raw = IsTrigger(axis) ? std::clamp(value, 0.0f, 1.0f) * 65535.0f - 32768.0f
                                : std::clamp(value, -1.0f, 1.0f) * kAxisScale;
    SDL_JoystickSetVirtualAxis(virtualStick, axis,
                               static_cast<Sint16>(std::lround(std::clamp(raw, -32768.0f, 32767.0f))));
}

} // namespace platform::pad
