// The modes' names.
#include "race/race_mode.h"

const char* RaceModeName(RaceMode mode) {
    switch (mode) {
    case RaceMode::Trial: return "trial";
    case RaceMode::Championship: return "championship";
    case RaceMode::Race: break;
    }
    return "race";
}

bool ParseRaceMode(const std::string& word, RaceMode* mode) {
    for (RaceMode candidate : {RaceMode::Race, RaceMode::Trial, RaceMode::Championship}) {
        if (word != RaceModeName(candidate)) continue;
        *mode = candidate;
        return true;
    }
    return false;
}
