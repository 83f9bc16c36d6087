// How hard the computer racers fly: easy, normal (the racers as the game has always flown them) or
// hard. Only the computer racers change; the keyboard racer and its automatic pilot never do.
#pragma once

#include <string>

class Player;

enum class Difficulty { Easy, Normal, Hard };

// "easy", "normal", "hard": the flag's words and the name records are filed under.
const char* DifficultyName(Difficulty level);
// false for any other word.
bool ParseDifficulty(const std::string& word, Difficulty* level);
// Tunes a freshly created computer racer for the level; normal leaves it untouched.
void ApplyDifficulty(Difficulty level, Player& computerRacer);
