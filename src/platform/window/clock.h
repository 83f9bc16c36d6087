// Millisecond clock and sleep.
//
// Stands in for: timeGetTime, timeBeginPeriod, Sleep. In fixed mode (automation, tests) the clock
// stands still while the game works and Sleep moves it instead of waiting: a frame that finishes
// early sleeps out the rest of its 16 ms, so every such frame lasts exactly 16 ms of clock time and
// a run is reproducible and as fast as the machine allows. Tests move the clock with Advance to
// stand for work that takes time.
// Does not: high-resolution timers beyond milliseconds.
#pragma once

#include <cstdint>

// Milliseconds since the clock started, wrapping as an unsigned 32-bit value.
std::uint32_t timeGetTime();
void Sleep(std::uint32_t milliseconds);
inline void timeBeginPeriod(std::uint32_t) {} // the clock already has millisecond resolution

namespace platform::clock {
void SetFixed(bool fixed);
bool IsFixed();
// Fixed mode: move the clock by one 16 ms frame.
void AdvanceFrame();
// Fixed mode: move the clock by any amount (tests of frame timing).
void Advance(std::uint32_t milliseconds);
// Back to 0, and the sleep count too (tests).
void Reset();
// Number of Sleep calls with a non-zero time since the last Reset (tests of frame pacing).
std::uint32_t SleepCount();
} // namespace platform::clock
