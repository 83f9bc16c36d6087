// RaceState: everything that decides a race, as one value. Two machines (or one machine twice) that
// start from equal states and step them with equal controls stay equal, bit for bit; Save, Load and
// Hash make that checkable and let a race be rewound.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "race/race_events.h"
#include "race/race_random.h"
#include "race/racer_state.h"

namespace race {

// One update of the race is this long; the clock counts in updates.
inline constexpr std::uint32_t kUpdateMs = 16;

struct RaceState {
    static constexpr std::size_t kMostRacers = RaceEvents::kMostRacers;

    std::uint32_t update = 0; // updates stepped since the grid was set up, the warm-up included
    // The countdown: three lights turn green one after another, then "go".
    std::uint32_t countdownUpdates = 0;
    bool countdownDone = false;
    bool started = false;
    std::uint32_t raceUpdates = 0;  // since "go"
    std::uint32_t clockUpdates = 0; // what the race clock shows
    bool clockStopped = true;       // stopped until "go" and once every person has finished
    RaceRandom random;
    std::uint8_t racerCount = 0;
    std::array<RacerState, kMostRacers> racers{};
    // Named rivals fly some of the computer racers. A race without them saves no rival fields, so its
    // bytes and hash are those of a race from before rivals existed.
    bool rivalsFly = false;

    std::uint32_t ClockMs() const { return clockUpdates * kUpdateMs; }
    // The racer a person in `seat` flies, or -1.
    std::int32_t RacerOfSeat(std::int32_t seat) const;

    // The state as bytes (versioned, little-endian, field by field) and back. Load refuses bytes that
    // are not a whole state of this version or hold values no race can reach, and then leaves the
    // state as it was.
    std::string Save() const;
    bool Load(const std::string& bytes, std::string* error = nullptr);
    // 64-bit FNV-1a of the saved bytes.
    std::uint64_t Hash() const;
    // The first field that differs between two states ("racers[2].speed"), or empty when they are equal.
    static std::string FirstDifference(const RaceState& a, const RaceState& b);

    template <typename Self, typename Visitor> static void Fields(Self& s, Visitor& v) {
        v("update", s.update);
        v("countdownUpdates", s.countdownUpdates);
        v("countdownDone", s.countdownDone);
        v("started", s.started);
        v("raceUpdates", s.raceUpdates);
        v("clockUpdates", s.clockUpdates);
        v("clockStopped", s.clockStopped);
        v("random", s.random.state);
        v("racerCount", s.racerCount);
        for (std::size_t i = 0; i < s.racers.size(); ++i) {
            v.Enter("racers", i);
            RacerState::Fields(s.racers[i], v);
            v.Leave();
        }
        if (!v.Tail("rivalsFly", s.rivalsFly)) return;
        for (std::size_t i = 0; i < s.racers.size(); ++i) {
            v.Enter("racers", i);
            RivalFlight::Fields(s.racers[i].rival, v);
            v.Leave();
        }
    }
};

} // namespace race
