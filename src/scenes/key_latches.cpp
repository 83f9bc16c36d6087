// Storage of the shared key latches: one per key, for both scenes.
#include "scenes/key_latches.h"

bool escapeLatch = false;
bool enterLatch = false;
bool controlsLatch = false;
bool optionsLatch = false;
bool pauseLatch = false;
