// How hard the computer racers fly: easy, normal (the racers as the game has always flown them) or
// hard. Only the computer racers change; people's racers and their automatic pilot never do.
#pragma once

#include <string>

namespace race {
struct RacerState;
}

enum class Difficulty { Easy, Normal, Hard };

// "easy", "normal", "hard": the flag's words and the name records are filed under.
const char* DifficultyName(Difficulty level);
// false for any other word.
bool ParseDifficulty(const std::string& word, Difficulty* level);

namespace race {
// Tunes a computer racer freshly put on the grid (its start delay drawn) for the level; normal
// leaves it untouched.
void ApplyDifficulty(Difficulty level, RacerState& computerRacer);
} // namespace race
