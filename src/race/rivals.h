// The four witches who race against the person: each with a name and a colour (ARGB) that her
// model, trail and result row wear. RivalsFor gives the rivals of a race in grid order after the
// person's racer.
#pragma once

#include <array>
#include <cstdint>

#include "race/difficulty.h"

namespace race {

// What kind of race the rivals fly: a single race, or a round of the championship.
enum class RivalKind { Race, Championship };

struct Rival {
    const char* name;
    std::uint32_t colour; // 0xAARRGGBB
};

inline constexpr std::size_t kRivalCount = 4;

// The rivals of a race of `kind` at `level`, for the computer racers 1..4 of the grid.
std::array<Rival, kRivalCount> RivalsFor(RivalKind kind, Difficulty level);

} // namespace race
