// The game's once-per-press key latches: Escape and Enter, shared by the title and the race,
// the race keys C (automatic pilot) and R (swap Up and Down), and the keys that open the game's
// own screens.
#pragma once

#include "platform/window/input.h"

extern bool escapeLatch;
extern bool enterLatch;
// The keys of the game's own screens: F1 (controls), O (options) and P (pause).
extern bool controlsLatch;
extern bool optionsLatch;
extern bool pauseLatch;
extern bool autoPilotLatch;
extern bool invertPitchLatch;

// Every latch open again, as at start-up; for tests.
void ResetKeyLatches();
// Each latch closed while its key is held: a press that began on the screen before does nothing on
// the next one until it is let go, whether it came from the keyboard or the pad (whose Start is both
// Enter and P).
void LatchHeldKeys();

// Edge detection over GetAsyncKeyState: true once per press. The latch clears when the key is seen
// up, so it only moves in an Update that polls the key.
inline bool KeyPressed(int virtualKey, bool& latch) {
    if (!(GetAsyncKeyState(virtualKey) & 0x8000)) {
        latch = false;
        return false;
    }
    if (latch) return false;
    latch = true;
    return true;
}
