// How the racers go by on screen: a name and a colour each, for the result table, the standings,
// the course map and the trace. A lone person is "You" in white; people sharing the screen are
// "1P" to "4P" in their colours; the computer racers are the game's own (Velka and three Mirros,
// coloured like their trails) or, where rivals have identities, the four witches in their own colours.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/gpu/d3d_types.h"
#include "race/race_state.h"
#include "race/rivals.h"

struct RacerLabel {
    std::string name;
    D3DCOLOR colour = 0xFFFFFF; // RGB; the alpha is the drawer's
};

using RivalSet = std::optional<std::array<race::Rival, race::kRivalCount>>;

// Each person at a shared screen: "1P" .. "4P", and their colour (opaque ARGB) on the title, their
// view's HUD and the result table.
std::string PersonLabel(std::size_t seat);
D3DCOLOR PersonColour(std::size_t seat);

// One label per racer of the race, in grid order; `rivals` unset gives the game's own racers.
std::vector<RacerLabel> RacerLabels(const race::RaceState& race, const RivalSet& rivals);
// The same for a grid of `count` racers of which the first is the person.
std::vector<RacerLabel> GridLabels(std::size_t count, const RivalSet& rivals);
