// Real clock on std::chrono, fixed clock as a plain counter that only sleeping moves.
#include "platform/window/clock.h"

#include <chrono>
#include <thread>

namespace {
bool fixedMode = false;
std::uint32_t fixedNow = 0;
std::uint32_t sleeps = 0;
const auto start = std::chrono::steady_clock::now();
} // namespace

std::uint32_t timeGetTime() {
    if (fixedMode) return fixedNow;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return static_cast<std::uint32_t>(ms.count());
}

void Sleep(std::uint32_t milliseconds) {
    if (milliseconds == 0) return;
    ++sleeps;
    if (fixedMode) {
        fixedNow += milliseconds;
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace platform::clock {
void SetFixed(bool fixed) { fixedMode = fixed; }
bool IsFixed() { return fixedMode; }
void AdvanceFrame() { fixedNow += 16; }
void Advance(std::uint32_t milliseconds) { fixedNow += milliseconds; }
void Reset() {
    fixedNow = 0;
    sleeps = 0;
}
std::uint32_t SleepCount() { return sleeps; }
} // namespace platform::clock
