// Difficulty levels: a different top speed, pick-up and start reaction for the computer racers.
#include "race/difficulty.h"

#include "race/racer_state.h"

namespace {

// What a level changes, as factors on the racer's own values (1 = unchanged) and a start delay
// change in updates (the racer waits a random 0..199 updates at "go" on normal).
struct Tuning {
    float topSpeed;
    float pickUp;
    float startDelayFactor;
    int startDelayExtra;
};

constexpr Tuning kEasy{0.86f, 0.8f, 1.0f, 60};
constexpr Tuning kHard{1.08f, 1.3f, 0.25f, 0};

} // namespace

const char* DifficultyName(Difficulty level) {
    switch (level) {
    case Difficulty::Easy: return "easy";
    case Difficulty::Hard: return "hard";
    case Difficulty::Normal: break;
    }
    return "normal";
}

bool ParseDifficulty(const std::string& word, Difficulty* level) {
    for (Difficulty candidate : {Difficulty::Easy, Difficulty::Normal, Difficulty::Hard}) {
        if (word != DifficultyName(candidate)) continue;
        *level = candidate;
        return true;
    }
    return false;
}

namespace race {

void ApplyDifficulty(Difficulty level, RacerState& racer) {
    if (level == Difficulty::Normal) return;
    const Tuning& tuning = level == Difficulty::Easy ? kEasy : kHard;
    racer.maxSpeed *= tuning.topSpeed;
    racer.acceleration *= tuning.pickUp;
    racer.startDelay = static_cast<std::int32_t>(static_cast<float>(racer.startDelay) * tuning.startDelayFactor) +
                       tuning.startDelayExtra;
}

} // namespace race
