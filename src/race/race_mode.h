// The ways a race can be run: the game's own race, a time trial alone against one's ghost, and the
// championship of every course in a row. The mode decides who is on the grid and what is kept.
#pragma once

#include <string>

enum class RaceMode { Race, Trial, Championship };

// "race", "trial", "championship": the flag's and the script header's words.
const char* RaceModeName(RaceMode mode);
// false for any other word.
bool ParseRaceMode(const std::string& word, RaceMode* mode);
