// PlayerManager: the racers as the screen shows them — one Player per racer of the race, dressed by
// its place on the grid, following the race after every update.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "player/player.h"
#include "race/race_events.h"
#include "race/race_state.h"

class PlayerManager {
public:
    static PlayerManager& Instance();
    // Starts from a fresh, empty singleton (tests).
    static void ResetInstance();

    // A Player for every racer of the race, with its model and its effects.
    void Create(const race::RaceState& race);
    // The computer racers 1, 2, ... wear these colours (0xAARRGGBB): a tint over the model and
    // their trail.
    void Dress(const std::vector<std::uint32_t>& colours);
    // After an update: every racer takes its new state and shows what its update called for.
    void Follow(const race::RaceState& race, const race::RaceEvents& events);
    void Draw();
    void Clear();

    // The first person's racer's model (the ghost of a best race wears it too).
    static constexpr const char* kKeyboardModel = "data/XFile/aaa/perlita.x";

    // The Player of the racer a person in `seat` flies, or null.
    Player* OfSeat(std::int32_t seat) const;

    std::vector<std::shared_ptr<Player>> players;
};
