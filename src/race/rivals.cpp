// The rivals' table, the races they fly in, and how a level tunes them on the grid.
#include "race/rivals.h"

#include <algorithm>

namespace race {

namespace {

// Velka: first off the line and quick early, but she fades as the lap goes on.
// Mirro: hot-headed: wanders off the line, fights hardest for the inside and makes the most
//        mistakes; on a clean day she is the one to fear.
// Tansy: slow to wake, with the widest pace, and she saves her broom for the second half of the lap.
// Ysolde: careful and exact: holds the line to the centimetre and rarely errs, but fights little.
// Tuned with coursecheck --contest (README, "Rivals"): on every course a steady pilot wins some
// championship races at normal, and at hard the best of them is at most 3 % faster over a lap.
constexpr std::array<Rival, kRivalCount> kRivals{{
    {"Velka", 0xFF3C78FFu, 1.027f, 1.10f, -156, 30, Personality{0.92f, 1.02f, -0.6f, 0.05f, 0.06f, 0.15f}},
    {"Mirro", 0xFFFF40FFu, 1.031f, 1.20f, -146, 50, Personality{0.91f, 1.01f, 0.0f, 0.30f, 0.15f, 0.25f}},
    {"Tansy", 0xFF40E040u, 1.066f, 0.90f, -136, 50, Personality{0.88f, 1.02f, 0.7f, 0.15f, 0.10f, 0.20f}},
    {"Ysolde", 0xFFFFD040u, 1.022f, 1.00f, -150, 40, Personality{0.94f, 1.02f, 0.0f, 0.00f, 0.04f, 0.10f}},
}};

// What a level does to every rival: factors on her top speed and pick-up and on her chance of a
// mistake, and updates added to her reaction at "go".
struct LevelTuning {
    float topSpeed;
    float pickUp;
    float mistakes;
    std::int32_t reaction;
};

// At easy they leave the grid first and are slower than the single race's racers at normal: the
// person flies past them one by one, and easy stays easier than normal.
constexpr LevelTuning kEasyRivals{0.965f, 1.0f, 1.5f, -40};
constexpr LevelTuning kNormalRivals{1.0f, 1.0f, 1.0f, 0};
constexpr LevelTuning kHardRivals{1.008f, 1.05f, 0.6f, -10};

const LevelTuning& TuningFor(Difficulty level) {
    switch (level) {
    case Difficulty::Easy: return kEasyRivals;
    case Difficulty::Hard: return kHardRivals;
    case Difficulty::Normal: break;
    }
    return kNormalRivals;
}

// The countdown's length: a reaction counts from "go", the start delay from the grid.
constexpr std::int32_t kUpdatesToGo = static_cast<std::int32_t>(kCountdownLightUpdates) * kCountdownLights;

} // namespace

std::array<Rival, kRivalCount> RivalsFor(RivalKind, Difficulty) { return kRivals; }

bool RivalsFly(RivalKind kind, Difficulty level) {
    return kind == RivalKind::Championship || level != Difficulty::Normal;
}

Grid GridFor(RivalKind kind, Difficulty level, Grid grid) {
    const std::size_t count = RivalsFly(kind, level) ? kRivalCount : 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < RaceState::kMostRacers; ++i) {
        grid.rivals[i] = -1;
        if (i < grid.racerCount && grid.seats[i] < 0 && next < count) grid.rivals[i] = static_cast<std::int8_t>(next++);
    }
    return grid;
}

const Rival* RivalOf(const RaceState& state, std::size_t index) {
    if (!state.rivalsFly || index >= state.racerCount) return nullptr;
    const std::int8_t who = state.racers[index].rival.who;
    if (!IsRival(who)) return nullptr;
    return &kRivals[static_cast<std::size_t>(who)];
}

void ApplyRival(std::int8_t who, Difficulty level, RacerState& racer, RaceRandom& random) {
    const Rival& rival = kRivals[static_cast<std::size_t>(who)];
    const LevelTuning& tuning = TuningFor(level);
    // She turns as much faster as she flies, so her turns are as tight as anyone's: her speed
    // counts as much on a winding course as on an open one.
    const float speed = rival.topSpeed * tuning.topSpeed;
    racer.maxSpeed *= speed;
    racer.turnRateLimit *= speed;
    racer.acceleration *= rival.pickUp * tuning.pickUp;
    const auto spread = static_cast<std::uint32_t>(std::max(rival.reactionSpread, 1));
    const std::int32_t reaction = rival.reaction + tuning.reaction + static_cast<std::int32_t>(random.Below(spread));
    racer.startDelay = std::max(kUpdatesToGo + reaction, 0);

    RivalFlight& flight = racer.rival;
    flight = RivalFlight{};
    flight.who = who;
    flight.personality = rival.personality;
    flight.personality.mistakeChance = std::min(rival.personality.mistakeChance * tuning.mistakes, 1.0f);
    flight.topSpeed = racer.maxSpeed;
    flight.turnRate = racer.turnRateLimit;
    const std::uint64_t high = random.Next();
    flight.random.Seed((high << 32u) | random.Next());
    flight.form = flight.random.Unit();
    flight.phase = flight.random.Unit();
}

} // namespace race
