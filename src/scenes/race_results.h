// RaceResults: what the result screen and the records need to know of a race — when each racer
// finished, and the keyboard racer's time to each checkpoint (its splits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class Player;

class RaceResults {
public:
    // A racer on the result table, best first.
    struct Standing {
        std::size_t racer = 0;  // index in the roster (0 is the keyboard racer)
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
    // After each update of the world once started. `nowMs` is the race time of this update;
    // `keyboardClockMs` what the race clock shows, which is the keyboard racer's time at its finish.
    void Observe(const std::vector<std::shared_ptr<Player>>& racers, std::uint32_t nowMs,
                 std::uint32_t keyboardClockMs);

    // Updates observed since "go" (0 before the first).
    std::size_t Updates() const { return updates; }
    bool KeyboardFinished() const { return !finishMs.empty() && finishMs[0] > 0; }
    std::uint32_t KeyboardTimeMs() const { return finishMs.empty() ? 0 : finishMs[0]; }
    const std::vector<std::uint32_t>& Splits() const { return splits; }
    // The latest split, if one was flown.
    bool LastSplit(Split* split) const;
    // Finished racers by time, then the others by their place on the course now.
    std::vector<Standing> Standings(const std::vector<std::shared_ptr<Player>>& racers) const;

private:
    bool started = false;
    std::size_t updates = 0;
    std::vector<std::uint32_t> finishMs; // per racer; 0 while flying
    std::vector<std::uint32_t> splits;
    std::uint32_t lastPassMs = 0;
    std::int32_t keyboardNext = 0;
};
