// RivalFlight: what a named rival brings to a computer racer — the personality it flies with and
// its plan for the leg it is on. Plain data inside the racer, so a saved race keeps its rivals.
#pragma once

#include <cstddef>
#include <cstdint>

#include "race/race_random.h"

namespace race {

// The named rivals there are (rivals.h names them), and whether `who` is one of them.
inline constexpr std::size_t kRivalCount = 4;
inline bool IsRival(std::int8_t who) { return who >= 0 && static_cast<std::size_t>(who) < kRivalCount; }

// How a rival flies, as the race uses it (the table in rivals.cpp, tuned for the level).
struct Personality {
    // The share of its top speed a rival holds on a leg is drawn between these for every leg.
    float paceLow = 1.0f;
    float paceHigh = 1.0f;
    // 0: every leg draws from the whole range; towards 1 the early legs of the lap draw from its low
    // end and the late ones from its high end (a rival who saves her broom for the finish); towards
    // -1 the other way round (one who goes out hard and fades).
    float paceTrend = 0.0f;
    // How far off a ring's centre she may aim on a leg, in ring radii: 0 holds the line exactly.
    float wander = 0.0f;
    // Chance per leg of a mistake: running wide of the ring or a lapse of the throttle.
    float mistakeChance = 0.0f;
    // Close behind another racer she aims this far to the inside of the next ring, in ring radii
    // (0: never contests the line).
    float contest = 0.0f;
};

struct RivalFlight {
    std::int8_t who = -1; // index into the rivals' table; -1: a person or an unnamed computer racer
    Personality personality;
    // Her best top speed and turn rate; on each leg she flies both at that leg's pace.
    float topSpeed = 0.0f;
    float turnRate = 0.0f;
    // Her own numbers, seeded from the race's generator on the grid: one racer's draws never shift
    // another's, whoever reaches a ring first.
    RaceRandom random;
    // Her day: where in her pace range this race lies for her, 0 (her slowest) .. 1 (her fastest).
    float form = 0.5f;
    // Where in the lap her pushes fall, as a share of the lap.
    float phase = 0.0f;
    // The plan for the leg to ring `leg`, drawn when she turns for it.
    std::int32_t leg = -1;
    float pace = 1.0f;         // share of her top speed and turn rate she flies this leg with
    float aim = 0.0f;          // where she aims across the ring, in radii (+: right of the leg)
    float wide = 0.0f;         // a mistake: aims this far outside the turn, in radii (0: none)
    std::int32_t lapseIn = -1; // a mistake: updates until the throttle lapses (-1: none this leg)
    std::int32_t lapseFor = 0; // how long it lapses
    bool exitBlocked = false;  // scenery stands between this leg's ring and the next
    bool contesting = false;   // this update she takes the inside from a racer just ahead
    float lean = 0.0f;         // where she aims across the ring now: it follows her plan a little each update

    template <typename Self, typename Visitor> static void Fields(Self& s, Visitor& v) {
        v("rival", s.who);
        if (s.who != -1 && !IsRival(s.who)) v.Fail("rival");
        v("paceLow", s.personality.paceLow);
        v("paceHigh", s.personality.paceHigh);
        v("paceTrend", s.personality.paceTrend);
        v("wander", s.personality.wander);
        v("mistakeChance", s.personality.mistakeChance);
        v("contest", s.personality.contest);
        v("topSpeed", s.topSpeed);
        v("turnRate", s.turnRate);
        v("rivalRandom", s.random.state);
        v("form", s.form);
        v("phase", s.phase);
        v("leg", s.leg);
        v("pace", s.pace);
        v("aim", s.aim);
        v("wide", s.wide);
        v("lapseIn", s.lapseIn);
        v("lapseFor", s.lapseFor);
        v("exitBlocked", s.exitBlocked);
        v("contesting", s.contesting);
        v("lean", s.lean);
    }
};

} // namespace race
