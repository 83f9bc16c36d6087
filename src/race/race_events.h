// RaceEvents: what happened in one update, for the sounds, effects and HUD to react to. The race
// reports; it never plays, draws or shows anything itself.
#pragma once

#include <array>
#include <cstdint>

#include "platform/math/d3dx_math.h"

namespace race {

enum class EventKind : std::uint8_t {
    CountdownBeep,    // value: the light that turned green, 0..2
    Go,               // the racers may fly from the next update on
    CheckPointPassed, // racer passed checkpoint `value`; byHand when a person was flying it
    BoostStart,       // the sharp-turn burst began
    BoostStop,        // boosting ended (released, handed to the pilot)
    Finish,           // racer crossed the last checkpoint
};

struct RaceEvent {
    EventKind kind = EventKind::Go;
    std::int8_t racer = -1; // -1 for race-wide events
    std::int32_t value = 0;
    bool byHand = false;
};

// The sparks and the circle a racer's update calls for; cosmetic, so the numbers a presentation
// draws for them come from its own generator.
struct RacerFx {
    // Throttle applied this update: a small spark one time in `throttleChance`, and a large one when
    // `throttleBigSpark`; both turned by `sparkRotation`, the racer's turn as the throttle was given.
    std::int32_t throttleChance = 0; // 0: no throttle this update
    bool throttleBigSpark = false;
    D3DXMATRIX sparkRotation = MatrixIdentity();
    // Flown by hand this update: the burst, boost and checkpoint sparks and the circle under the racer.
    bool handFlown = false;
    bool burstSpark = false;
    bool boostSpark = false;
    bool checkPointSpark = false;
};

struct RaceEvents {
    static constexpr std::size_t kMostEvents = 64;
    static constexpr std::size_t kMostRacers = 8;

    std::array<RaceEvent, kMostEvents> list{};
    std::size_t count = 0;
    std::array<RacerFx, kMostRacers> fx{};

    void Add(EventKind kind, std::int32_t racer = -1, std::int32_t value = 0, bool byHand = false) {
        if (count < list.size()) list[count++] = RaceEvent{kind, static_cast<std::int8_t>(racer), value, byHand};
    }
    const RaceEvent* begin() const { return list.data(); }
    const RaceEvent* end() const { return list.data() + count; }
    bool Has(EventKind kind) const {
        for (const RaceEvent& e : *this)
            if (e.kind == kind) return true;
        return false;
    }
};

} // namespace race
