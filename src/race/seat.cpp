// A seat over the platform's key table: held keys for the levels, counted presses for the taps.
#include "race/seat.h"

#include "platform/window/input.h"

namespace race {

namespace {
constexpr int kKeyC = 0x43; // the automatic pilot
constexpr int kKeyR = 0x52; // swap the nose keys
} // namespace

Seat::Seat(const platform::input::Source& keys) : source(keys) { TakeCounts(); }

void Seat::Listen(const platform::input::Source& keys) {
    if (keys == source) return;
    source = keys;
    TakeCounts();
}

void Seat::TakeCounts() {
    for (int key = 0; key < static_cast<int>(kKeys); ++key) seen[key] = platform::input::KeyPresses(source, key);
}

bool Seat::Held(int virtualKey) const { return platform::input::KeyAmount(source, virtualKey) > 0.0f; }

void Seat::Poll() {
    for (int key = 0; key < static_cast<int>(kKeys); ++key) {
        const std::uint32_t now = platform::input::KeyPresses(source, key);
        freshLevel[key] = freshQuestion[key] = now != seen[key];
        seen[key] = now;
    }
}

bool Seat::Pressed(int virtualKey) {
    if (!InRange(virtualKey)) return false;
    const bool fresh = freshQuestion[virtualKey];
    freshQuestion[virtualKey] = false;
    bool& latch = latched[virtualKey];
    if (!Held(virtualKey)) {
        latch = false;
        return fresh;
    }
    const bool pressed = !latch || fresh;
    latch = true;
    return pressed;
}

bool Seat::Level(int virtualKey) {
    const bool fresh = freshLevel[virtualKey];
    freshLevel[virtualKey] = false;
    return Held(virtualKey) || fresh;
}

Controls Seat::Read() {
    Controls c;
    c.throttle = Level(VK_SPACE);
    c.boost = Level(VK_SHIFT);
    // A stick gives its deflection; a key, or a tap already let go, gives all of it.
    auto amount = [this](int key) { return Held(key) ? platform::input::KeyAmount(source, key) : 1.0f; };
    const bool right = Level(VK_RIGHT), left = Level(VK_LEFT);
    if (right) c.turn = amount(VK_RIGHT);
    else if (left) c.turn = -amount(VK_LEFT);
    const bool up = Level(VK_UP), down = Level(VK_DOWN);
    if (up) c.pitch = amount(VK_UP);
    else if (down) c.pitch = -amount(VK_DOWN);
    c.togglePilot = Pressed(kKeyC);
    c.swapNose = Pressed(kKeyR);
    return c;
}

void Seat::ForgetHeld() {
    for (int key = 0; key < static_cast<int>(kKeys); ++key) ForgetHeld(key);
}

void Seat::ForgetHeld(int virtualKey) {
    if (!InRange(virtualKey)) return;
    freshLevel[virtualKey] = freshQuestion[virtualKey] = false;
    latched[virtualKey] = Held(virtualKey);
}

} // namespace race
