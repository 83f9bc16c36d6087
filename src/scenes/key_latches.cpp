// Storage of the shared key latches: one per key.
#include "scenes/key_latches.h"

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
