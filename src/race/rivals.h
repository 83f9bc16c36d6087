// The four witches who race against the person — a name, a colour (ARGB) that her model, trail and
// result row wear, and a way of flying each — and the races they fly in.
#pragma once

#include <array>
#include <cstdint>

#include "race/difficulty.h"
#include "race/rival_flight.h"
#include "race/step.h"

namespace race {

// What kind of race the rivals fly: a single race, or a round of the championship.
enum class RivalKind { Race, Championship };

struct Rival {
    const char* name;     // as the result table, the standings and the HUD write her
    std::uint32_t colour; // 0xAARRGGBB: the tint of her model, her trail and her row
    // How she flies at normal; the level moves these (rivals.cpp).
    float topSpeed;              // factor on a computer racer's top speed (and turn rate)
    float pickUp;                // factor on its acceleration
    std::int32_t reaction;       // updates after "go" she opens the throttle (negative: before it)
    std::int32_t reactionSpread; // and 0 .. spread - 1 more, drawn for each race
    Personality personality;
};

// The rivals of a race of `kind` at `level`, for the computer racers 1..4 of the grid: always the
// same four in the same order (their flying is tuned for the level on the grid, by NewRace).
std::array<Rival, kRivalCount> RivalsFor(RivalKind kind, Difficulty level);
// Whether the rivals fly such a race: every championship race and the single race at easy and hard;
// the single race at normal keeps the game's own unnamed computer racers, flying as they always have.
bool RivalsFly(RivalKind kind, Difficulty level);
// `grid` (by default one person and four computer racers) with the rivals in its computer racers'
// places, in RivalsFor's order, when RivalsFly says so; else `grid` with no rivals.
Grid GridFor(RivalKind kind, Difficulty level, Grid grid = Grid{});
// The rival flying racer `index`, or null for a person or an unnamed computer racer.
const Rival* RivalOf(const RaceState& state, std::size_t index);

// Rival `who`, tuned for `level`, takes a computer racer just placed on the grid: her speed, her
// reaction at "go" (drawn from `random`) and her own numbers (seeded from `random`).
void ApplyRival(std::int8_t who, Difficulty level, RacerState& racer, RaceRandom& random);

} // namespace race
