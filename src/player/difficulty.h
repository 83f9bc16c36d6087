// The difficulty races use from now on (the flag or the settings file sets it; normal by default).
#pragma once

#include "race/difficulty.h"

Difficulty CurrentDifficulty();
void SetDifficulty(Difficulty level);
