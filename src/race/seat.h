// Seat: one person at the game — the keys (and the pad's share of them) they fly and answer menus
// with, and their own once-per-press latches. A seat turns what the person does into Controls for
// their racer; the race itself never reads a key.
//
// Every press counts: presses are counted as the key events arrive (Poll takes them once a frame),
// so a tap that starts and ends between two frames still registers, once.
#pragma once

#include <array>
#include <cstdint>

#include "platform/window/input.h"
#include "race/controls.h"

namespace race {

class Seat {
public:
    // Presses made before the seat existed are not its presses. Without a source: the lone
    // player's, keyboard set 1 and every pad.
    explicit Seat(const platform::input::Source& keys = {});
    // From now on the seat listens to other keys; presses made before are not its presses.
    void Listen(const platform::input::Source& keys);
    const platform::input::Source& Keys() const { return source; }
    // Once a frame, after the key events of the frame: the presses that came in since the last one.
    void Poll();
    // The controls for this update, from the keys as they are now and this frame's taps.
    Controls Read();
    // True once per press of a game key (the virtual-key code of the game's action).
    bool Pressed(int virtualKey);
    // A new screen starts: keys held now do nothing until released.
    void ForgetHeld();
    // Only this key: held now, it does nothing until released (a throttle held over the finish line
    // is not a press of "race again").
    void ForgetHeld(int virtualKey);

private:
    static constexpr std::size_t kKeys = 256;
    static bool InRange(int virtualKey) { return virtualKey >= 0 && virtualKey < static_cast<int>(kKeys); }
    bool Held(int virtualKey) const;
    // The press counts of the source as they stand, taken as already seen.
    void TakeCounts();
    // Held now, or pressed this frame and already let go.
    bool Level(int virtualKey);

    platform::input::Source source;
    std::array<std::uint32_t, kKeys> seen{}; // the platform's press count at the last Poll
    // Pressed this frame and not yet taken: apart for the flying levels and the once-per-press questions.
    std::array<bool, kKeys> freshLevel{};
    std::array<bool, kKeys> freshQuestion{};
    std::array<bool, kKeys> latched{}; // held when last asked about, and already counted
};

} // namespace race
