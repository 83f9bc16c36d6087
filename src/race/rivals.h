// The four named witches who race against the player — a name, a colour and a way of flying each —
// and the races they fly in.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "race/difficulty.h"
#include "race/rival_flight.h"
#include "race/step.h"

namespace race {

// What a grid is for: the game's own single race, or a race of the championship.
enum class RaceKind : std::uint8_t { Race, Championship };

struct Rival {
    const char* name;     // as the result table and the HUD write her
    std::uint32_t colour; // ARGB: the tint of her model, her trail and her row in the table
    // How she flies at normal; the level moves these (rivals.cpp).
    float topSpeed;              // factor on a computer racer's top speed
    float pickUp;                // factor on its acceleration
    std::int32_t reaction;       // updates after "go" she opens the throttle (negative: before it)
    std::int32_t reactionSpread; // and 0 .. spread - 1 more, drawn for each race
    Personality personality;
};

// The four, in the order they take the computer racers' places on the grid.
const std::array<Rival, kRivalCount>& Rivals();
// Every championship race and the single race at easy and hard have the rivals; the single race at
// normal keeps the game's own unnamed computer racers, flying as they always have.
bool RivalsFly(RaceKind kind, Difficulty level);
// The rivals of such a race in grid order; empty when RivalsFly says no.
std::span<const Rival> RivalsFor(RaceKind kind, Difficulty level);
// `grid` (by default one person and four computer racers) with RivalsFor's rivals in its computer
// racers' places, in order.
Grid GridFor(RaceKind kind, Difficulty level, Grid grid = Grid{});
// The rival flying racer `index`, or null for a person or an unnamed computer racer.
const Rival* RivalOf(const RaceState& state, std::size_t index);

// Rival `who`, tuned for `level`, takes a computer racer just placed on the grid: her speed, her
// reaction at "go" (drawn from `random`) and her own numbers (seeded from `random`).
void ApplyRival(std::int8_t who, Difficulty level, RacerState& racer, RaceRandom& random);

} // namespace race
