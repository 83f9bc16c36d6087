// Millisecond clock and sleep.
//
// Stands in for: timeGetTime, timeBeginPeriod, Sleep. In fixed mode (automation, tests) the clock
// only moves when the main loop says a frame has passed, exactly 16 ms each, and Sleep returns at once,
// so a run is reproducible and as fast as the machine allows.
// Does not: high-resolution timers beyond milliseconds.
#pragma once

#include <cstdint>

// Milliseconds since the clock started, wrapping as an unsigned 32-bit value.
std::uint32_t timeGetTime();
void Sleep(std::uint32_t milliseconds);
inline void timeBeginPeriod(std::uint32_t) {} // SDL's timer already has millisecond resolution

namespace platform::clock {
void SetFixed(bool fixed);
bool IsFixed();
// Fixed mode: advance the clock by one 16 ms frame (called once per main-loop frame).
void AdvanceFrame();
// Fixed mode: move the clock by any amount (tests of frame timing).
void Advance(std::uint32_t milliseconds);
// Back to 0 (tests).
void Reset();
} // namespace platform::clock
