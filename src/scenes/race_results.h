// RaceResults: what the result screen and the records need to know of a race — when each racer
// finished, and the first person's time to each checkpoint (their splits). It watches the race
// state after each update and never changes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "race/race_state.h"

class RaceResults {
public:
    // A racer on the result table, best first.
    struct Standing {
        std::size_t racer = 0;  // index on the grid
        std::int32_t place = 0; // 1..n
        bool finished = false;
        std::uint32_t timeMs = 0; // finishing time when finished
    };
    // The split just flown: checkpoint `index` (0-based) reached `splitMs` after the one before.
    struct Split {
        std::size_t index = 0;
        std::uint32_t splitMs = 0;
        std::uint32_t passedAtMs = 0; // race time of the passage
    };

    // "Go": the racers start, counting from race time 0.
    void Start(std::size_t racerCount);
    bool Started() const { return started; }
    // After each update of the race once started; `person` is the racer whose splits are kept.
    void Observe(const race::RaceState& race, std::int32_t person);

    // Updates observed since "go" (0 before the first).
    std::size_t Updates() const { return updates; }
    bool KeyboardFinished() const { return keyboardMs > 0; }
    std::uint32_t KeyboardTimeMs() const { return keyboardMs; }
    const std::vector<std::uint32_t>& Splits() const { return splits; }
    // The latest split, if one was flown.
    bool LastSplit(Split* split) const;
    // Finished racers by time, then the others by their place on the course now.
    std::vector<Standing> Standings(const race::RaceState& race) const;

private:
    bool started = false;
    std::size_t updates = 0;
    std::vector<std::uint32_t> finishMs; // per racer; 0 while flying
    std::vector<std::uint32_t> splits;
    std::uint32_t lastPassMs = 0;
    std::int32_t keyboardNext = 0;
    std::uint32_t keyboardMs = 0;
};
