// The rivals' table, the races they fly in, and how a level tunes them on the grid.
#include "race/rivals.h"

#include <algorithm>

namespace race {

namespace {

// Velka: sharp off the line and neat, the one to beat on a clean lap.
// Brisa: fast and hot-headed: the widest pace, the hardest fighter, the most mistakes.
// Tamsin: slow to wake, saves her broom for the second half of the lap.
// Odile: careful and exact: holds the line to the centimetre and rarely errs, but gives away pace.
constexpr std::array<Rival, kRivalCount> kRivals{{
    {"Velka", 0xFF4080FFu, 1.030f, 1.10f, -20, 25, Personality{0.95f, 1.00f, 0.0f, 0.05f, 0.04f, 0.35f}},
    {"Brisa", 0xFFFF5A3Cu, 1.050f, 1.20f, 0, 40, Personality{0.90f, 1.00f, 0.0f, 0.30f, 0.12f, 0.55f}},
    {"Tamsin", 0xFF3CDC64u, 1.040f, 0.90f, 10, 40, Personality{0.91f, 1.00f, 0.6f, 0.15f, 0.06f, 0.40f}},
    {"Odile", 0xFFB45AFFu, 1.010f, 1.00f, -10, 30, Personality{0.97f, 1.00f, 0.0f, 0.00f, 0.02f, 0.25f}},
}};

// What a level does to every rival: factors on her top speed and pick-up and on her chance of a
// mistake, and updates added to her reaction at "go".
struct LevelTuning {
    float topSpeed;
    float pickUp;
    float mistakes;
    std::int32_t reaction;
};

constexpr LevelTuning kEasyRivals{0.95f, 0.85f, 1.5f, 30};
constexpr LevelTuning kNormalRivals{1.0f, 1.0f, 1.0f, 0};
constexpr LevelTuning kHardRivals{1.02f, 1.15f, 0.6f, -15};

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

const std::array<Rival, kRivalCount>& Rivals() { return kRivals; }

bool RivalsFly(RaceKind kind, Difficulty level) { return kind == RaceKind::Championship || level != Difficulty::Normal; }

std::span<const Rival> RivalsFor(RaceKind kind, Difficulty level) {
    if (!RivalsFly(kind, level)) return {};
    return kRivals;
}

Grid GridFor(RaceKind kind, Difficulty level, Grid grid) {
    const std::size_t count = RivalsFor(kind, level).size();
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
    if (who < 0 || who >= kRivalCount) return nullptr;
    return &kRivals[static_cast<std::size_t>(who)];
}

void ApplyRival(std::int8_t who, Difficulty level, RacerState& racer, RaceRandom& random) {
    const Rival& rival = kRivals[static_cast<std::size_t>(who)];
    const LevelTuning& tuning = TuningFor(level);
    racer.maxSpeed *= rival.topSpeed * tuning.topSpeed;
    racer.acceleration *= rival.pickUp * tuning.pickUp;
    const auto spread = static_cast<std::uint32_t>(std::max(rival.reactionSpread, 1));
    const std::int32_t reaction = rival.reaction + tuning.reaction + static_cast<std::int32_t>(random.Below(spread));
    racer.startDelay = std::max(kUpdatesToGo + reaction, 0);

    RivalFlight& flight = racer.rival;
    flight = RivalFlight{};
    flight.who = who;
    flight.personality = rival.personality;
    flight.personality.mistakeChance = std::min(rival.personality.mistakeChance * tuning.mistakes, 1.0f);
    const std::uint64_t high = random.Next();
    flight.random.Seed((high << 32u) | random.Next());
}

} // namespace race
