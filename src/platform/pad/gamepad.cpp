// Game controllers through SDL: hot-plug by polling into four numbered places, the pad layout onto
// game keys, the virtual pads.
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

// One numbered place for a pad: the controller opened there and what it reads.
struct Slot {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    State state;
};
std::array<Slot, kPads> slots;

// Our virtual joysticks by pad number, opened so scripts can set them before the game opens them.
struct VirtualPad {
    SDL_Joystick* stick = nullptr;
    SDL_JoystickID id = -1;
};
std::array<VirtualPad, kPads> virtuals;
const State kNoPad;

bool ValidPad(int pad) { return pad >= 0 && pad < kPads; }

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool IsTrigger(int axis) { return axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT; }

float Beyond(float value) { return std::fabs(value) >= kDeadZone ? std::min(std::fabs(value), 1.0f) : 0.0f; }

bool Opened(SDL_JoystickID id) {
    return std::any_of(slots.begin(), slots.end(), [id](const Slot& slot) { return slot.controller && slot.id == id; });
}

// Virtual pad N keeps number N; any other pad takes the lowest free one.
int SlotFor(SDL_JoystickID id) {
    for (int pad = 0; pad < kPads; ++pad)
        if (virtuals[pad].stick && virtuals[pad].id == id) return slots[pad].controller ? -1 : pad;
    for (int pad = 0; pad < kPads; ++pad)
        if (!slots[pad].controller) return pad;
    return -1;
}

void OpenAttached() {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (!SDL_IsGameController(i)) continue;
        if (source == Source::VirtualOnly && !SDL_JoystickIsVirtual(i)) continue;
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
        if (Opened(id)) continue;
        const int pad = SlotFor(id);
        if (pad < 0) continue;
        slots[pad].controller = SDL_GameControllerOpen(i);
        slots[pad].id = slots[pad].controller ? id : -1;
    }
}

void DropUnplugged() {
    for (Slot& slot : slots) {
        if (!slot.controller || SDL_GameControllerGetAttached(slot.controller)) continue;
        SDL_GameControllerClose(slot.controller);
        slot.controller = nullptr;
        slot.id = -1;
    }
}

void Read(Slot& slot) {
    State& state = slot.state;
    state = State{};
    if (!slot.controller) return;
    state.connected = true;
    for (int b = 0; b < kButtons; ++b)
        state.buttons[b] = SDL_GameControllerGetButton(slot.controller, static_cast<SDL_GameControllerButton>(b)) != 0;
    for (int a = 0; a < kAxes; ++a) {
        float value = SDL_GameControllerGetAxis(slot.controller, static_cast<SDL_GameControllerAxis>(a)) / kAxisScale;
        state.axes[a] = std::clamp(value, -1.0f, 1.0f);
    }
}

// The pad layout: what each button and stick holds among the game keys of pad `pad`.
void HandToKeys(int pad, const State& state) {
    auto set = [pad](int key, float amount) { platform::input::SetPadKey(pad, key, amount); };
    auto button = [&state](int b) { return state.buttons[b] ? 1.0f : 0.0f; };
    const float x = state.axes[SDL_CONTROLLER_AXIS_LEFTX], y = state.axes[SDL_CONTROLLER_AXIS_LEFTY];
    set(VK_RIGHT, x > 0 ? Beyond(x) : 0.0f);
    set(VK_LEFT, x < 0 ? Beyond(x) : 0.0f);
    set(VK_UP, y < 0 ? Beyond(y) : 0.0f);
    set(VK_DOWN, y > 0 ? Beyond(y) : 0.0f);
    const bool throttle =
        state.buttons[SDL_CONTROLLER_BUTTON_A] || state.axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] >= kDeadZone;
    const bool boost =
        state.buttons[SDL_CONTROLLER_BUTTON_B] || state.axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT] >= kDeadZone;
    set(VK_SPACE, throttle ? 1.0f : 0.0f);
    set(VK_SHIFT, boost ? 1.0f : 0.0f);
    set(VK_GAMEPAD_A, button(SDL_CONTROLLER_BUTTON_A));
    set('C', button(SDL_CONTROLLER_BUTTON_Y));
    set('R', button(SDL_CONTROLLER_BUTTON_X));
    set(VK_RETURN, button(SDL_CONTROLLER_BUTTON_START));
    set('P', button(SDL_CONTROLLER_BUTTON_START));
    set(VK_ESCAPE, button(SDL_CONTROLLER_BUTTON_BACK));
    set(VK_NAVIGATION_UP, std::max(button(SDL_CONTROLLER_BUTTON_DPAD_UP), y <= -kMenuDeflection ? 1.0f : 0.0f));
    set(VK_NAVIGATION_DOWN, std::max(button(SDL_CONTROLLER_BUTTON_DPAD_DOWN), y >= kMenuDeflection ? 1.0f : 0.0f));
    set(VK_NAVIGATION_LEFT, std::max(button(SDL_CONTROLLER_BUTTON_DPAD_LEFT), x <= -kMenuDeflection ? 1.0f : 0.0f));
    set(VK_NAVIGATION_RIGHT, std::max(button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), x >= kMenuDeflection ? 1.0f : 0.0f));
    platform::input::SetPadConnected(pad, state.connected);
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
    for (int pad = 0; pad < kPads; ++pad) DisconnectVirtual(pad);
    for (Slot& slot : slots) {
        if (slot.controller) SDL_GameControllerClose(slot.controller);
        slot = Slot{};
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started = false;
    for (int pad = 0; pad < kPads; ++pad) platform::input::SetPadConnected(pad, false);
    platform::input::ClearPadKeys();
}

void Poll() {
    if (!started) return;
    SDL_GameControllerUpdate();
    DropUnplugged();
    OpenAttached();
    for (int pad = 0; pad < kPads; ++pad) {
        Read(slots[pad]);
        HandToKeys(pad, slots[pad].state);
    }
}

const State& Current(int pad) { return ValidPad(pad) ? slots[pad].state : kNoPad; }

bool ConnectVirtual(std::string* error, int pad) {
    if (!ValidPad(pad)) {
        if (error) *error = "no virtual pad " + std::to_string(pad + 1) + " (pads 1 to 4)";
        return false;
    }
    if (!started && !Start(Source::VirtualOnly, error)) return false;
    if (virtuals[pad].stick) return true;
    const std::string name = "Orlenda virtual pad " + std::to_string(pad + 1);
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = name.c_str();
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) {
        if (error) *error = std::string("cannot attach the virtual pad: ") + SDL_GetError();
        return false;
    }
    virtuals[pad].stick = SDL_JoystickOpen(index);
    virtuals[pad].id = virtuals[pad].stick ? SDL_JoystickInstanceID(virtuals[pad].stick) : -1;
    // Triggers rest at the bottom of their travel.
    SetVirtualAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0.0f, pad);
    SetVirtualAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.0f, pad);
    return true;
}

void DisconnectVirtual(int pad) {
    if (!ValidPad(pad) || !virtuals[pad].stick) return;
    const SDL_JoystickID id = virtuals[pad].id;
    SDL_JoystickClose(virtuals[pad].stick);
    virtuals[pad] = VirtualPad{};
    // The device index moves as other pads come and go; ours is found by its instance.
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickIsVirtual(i) && SDL_JoystickGetDeviceInstanceID(i) == id) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
}

void SetVirtualButton(int button, bool down, int pad) {
    if (ValidPad(pad) && virtuals[pad].stick && button >= 0 && button < kButtons)
        SDL_JoystickSetVirtualButton(virtuals[pad].stick, button, down ? 1 : 0);
}

void SetVirtualAxis(int axis, float value, int pad) {
    if (!ValidPad(pad) || !virtuals[pad].stick || axis < 0 || axis >= kAxes) return;
    // A trigger's raw axis runs over the whole range from released to fully pressed.
    float raw = IsTrigger(axis) ? std::clamp(value, 0.0f, 1.0f) * 65535.0f - 32768.0f
                                : std::clamp(value, -1.0f, 1.0f) * kAxisScale;
    SDL_JoystickSetVirtualAxis(virtuals[pad].stick, axis,
                               static_cast<Sint16>(std::lround(std::clamp(raw, -32768.0f, 32767.0f))));
}

} // namespace platform::pad
