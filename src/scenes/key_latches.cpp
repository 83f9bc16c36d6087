// Storage of the shared key latches: one per key.
#include "scenes/key_latches.h"

#include <utility>

bool escapeLatch = false;
bool enterLatch = false;
bool autoPilotLatch = false;
bool invertPitchLatch = false;
bool controlsLatch = false;
bool optionsLatch = false;
bool pauseLatch = false;

void ResetKeyLatches() {
    escapeLatch = false;
    enterLatch = false;
    autoPilotLatch = false;
    invertPitchLatch = false;
    controlsLatch = false;
    optionsLatch = false;
    pauseLatch = false;
}

void LatchHeldKeys() {
    const std::pair<int, bool*> latches[] = {
        {VK_ESCAPE, &escapeLatch}, {VK_RETURN, &enterLatch}, {VK_F1, &controlsLatch},  {'O', &optionsLatch},
        {'P', &pauseLatch},        {'C', &autoPilotLatch},   {'R', &invertPitchLatch},
    };
    for (const auto& [key, latch] : latches) *latch = (GetAsyncKeyState(key) & 0x8000) != 0;
}
