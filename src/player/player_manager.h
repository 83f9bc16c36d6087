// PlayerManager: the five racers — roster, start grid, the per-frame drive, the rank, tear-down.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "player/difficulty.h"
#include "player/player.h"

class PlayerManager {
public:
    static PlayerManager& Instance();
    // Starts from a fresh, empty singleton (tests).
    static void ResetInstance();

    // The roster, its computer racers tuned for `level`.
    void Create(Difficulty level);
    void PlaceAtStart(float x, float y, float z, float heading);
    void Update();
    void Draw();
    void StartRace();
    void Clear();

    // The keyboard racer's model (the ghost of a best race wears it too).
    static constexpr const char* kKeyboardModel = "data/XFile/aaa/perlita.x";

    // The keyboard racer's place among the racers, counted as Update does.
    std::int32_t ComputeRank() const;

    std::int32_t rank = 1;
    std::vector<std::shared_ptr<Player>> players;
    std::weak_ptr<Player> user;
};
