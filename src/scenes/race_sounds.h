// What an update's events sound like at one screen: the countdown and the start for everyone, and
// each person's own checkpoint chime and boost loop for the people playing at this screen.
#pragma once

#include <cstdint>
#include <vector>

#include "race/race_events.h"
#include "race/race_state.h"

struct SoundCue {
    enum class Kind : std::uint8_t { Once, StartLoop, StopLoop };
    Kind kind = Kind::Once;
    const char* name = "";
    std::int32_t seat = -1; // whose loop it is; -1 for a sound of everyone's

    bool operator==(const SoundCue& other) const;
};

// The cues of `events` in the order the update reported them. `ownSeats` has bit s set for each
// seat s playing at this screen: another machine's person makes no sound here.
std::vector<SoundCue> SoundCuesOf(const race::RaceEvents& events, const race::RaceState& race, std::uint32_t ownSeats);
