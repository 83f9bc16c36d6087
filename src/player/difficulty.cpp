// The difficulty in force for the next race.
#include "player/difficulty.h"

namespace {
Difficulty& Level() {
    static Difficulty level = Difficulty::Normal;
    return level;
}
} // namespace

Difficulty CurrentDifficulty() { return Level(); }

void SetDifficulty(Difficulty level) { Level() = level; }
