// The race's one way forward: Step advances the race state by one update.
//
// Step(state, course, controls) reads the state, the course and one Controls per racer (a person's
// seat or nothing for a computer racer, whose automatic pilot decides inside the step) and writes the
// state; it returns what happened. It reads no keyboard, plays no sound, touches no effect and no
// global: the same state, course and controls give the same next state on any machine.
#pragma once

#include <cstdint>
#include <span>

#include "race/controls.h"
#include "race/course.h"
#include "race/difficulty.h"
#include "race/race_events.h"
#include "race/race_state.h"

namespace race {

// Who is on the grid, in grid order: each racer's seat (-1 for a computer racer) and, for a computer
// racer, the named rival flying it (-1: an unnamed computer racer as the game has always had;
// rivals.h fills these for the races that have rivals).
struct Grid {
    std::uint8_t racerCount = 5;
    std::int8_t seats[RaceState::kMostRacers] = {0, -1, -1, -1, -1, -1, -1, -1};
    std::int8_t rivals[RaceState::kMostRacers] = {-1, -1, -1, -1, -1, -1, -1, -1};
};

// A race on its grid before the countdown: every racer placed, the computer racers tuned for
// `level` (a rival by her personality), their start delays drawn from the race's own generator
// seeded with `seed`.
RaceState NewRace(const Course& course, const Grid& grid, Difficulty level, std::uint64_t seed);

// One update. `controls[i]` is racer i's (missing entries count as nothing pressed).
RaceEvents Step(RaceState& state, const Course& course, std::span<const Controls> controls);

// The countdown: each light turns green this many updates after the one before (the first after
// the grid is set up), and the third one's beep is "go".
inline constexpr std::uint32_t kCountdownLightUpdates = 52;
inline constexpr std::int32_t kCountdownLights = 3;

} // namespace race
