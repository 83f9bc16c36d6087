// The named rivals: who flies which race, a race with them as a value, and no pace for being behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "race/rivals.h"
#include "race/step.h"

namespace {

using race::RaceState;
using race::RivalKind;

// Six rings round an open field, no scenery: a lap of about 40 seconds.
race::Course Field() {
    race::Course course;
    course.start = {0.0f, 50.0f, 0.0f};
    course.heading = 0.0f;
    for (const D3DXVECTOR3& ring : {D3DXVECTOR3{0.0f, 50.0f, 400.0f}, D3DXVECTOR3{300.0f, 60.0f, 800.0f},
                                    D3DXVECTOR3{0.0f, 50.0f, 1200.0f}, D3DXVECTOR3{-450.0f, 40.0f, 1150.0f},
                                    D3DXVECTOR3{-600.0f, 50.0f, 700.0f}, D3DXVECTOR3{-350.0f, 50.0f, 150.0f}})
        course.checkPoints.push_back(race::CourseCheckPoint{ring, 24.0f});
    return course;
}

RaceState Championship(const race::Course& course, std::uint64_t seed) {
    RaceState state =
        race::NewRace(course, race::GridFor(RivalKind::Championship, Difficulty::Normal), Difficulty::Normal, seed);
    state.racers[0].autoPilot = 1;
    return state;
}

void Fly(RaceState& state, const race::Course& course, int updates) {
    for (int i = 0; i < updates; ++i) race::Step(state, course, {});
}

TEST(Rivals, TheSingleRaceAtNormalKeepsTheUnnamedRacersAndEveryOtherRaceHasTheFour) {
    const race::Grid unnamed = race::GridFor(RivalKind::Race, Difficulty::Normal);
    EXPECT_EQ(race::NewRace(Field(), unnamed, Difficulty::Normal, 5).Save(),
              race::NewRace(Field(), race::Grid{}, Difficulty::Normal, 5).Save());
    for (RivalKind kind : {RivalKind::Race, RivalKind::Championship}) {
        for (Difficulty level : {Difficulty::Easy, Difficulty::Normal, Difficulty::Hard}) {
            if (kind == RivalKind::Race && level == Difficulty::Normal) continue;
            const RaceState state = race::NewRace(Field(), race::GridFor(kind, level), level, 5);
            ASSERT_TRUE(state.rivalsFly);
            EXPECT_EQ(race::RivalOf(state, 0), nullptr) << "the person is nobody's rival";
            for (std::size_t i = 1; i < 5; ++i) {
                ASSERT_NE(race::RivalOf(state, i), nullptr);
                EXPECT_STREQ(race::RivalOf(state, i)->name, race::RivalsFor(kind, level)[i - 1].name);
            }
        }
    }
}

// A seed gives one race with its rivals, whoever replays it, and a saved race goes on as it would have.
TEST(Rivals, TheSameSeedFliesTheSameRaceAndASavedOneGoesOnAlike) {
    const race::Course course = Field();
    RaceState a = Championship(course, 7), b = Championship(course, 7), c = Championship(course, 8);
    Fly(a, course, 1500);
    Fly(b, course, 1500);
    Fly(c, course, 1500);
    EXPECT_EQ(RaceState::FirstDifference(a, b), "");
    EXPECT_NE(a.Hash(), c.Hash());

    RaceState loaded;
    std::string error;
    ASSERT_TRUE(loaded.Load(a.Save(), &error)) << error;
    Fly(a, course, 500);
    Fly(loaded, course, 500);
    EXPECT_EQ(RaceState::FirstDifference(a, loaded), "");

    RaceState unknown = a;
    unknown.racers[2].rival.who = race::kRivalCount;
    EXPECT_FALSE(loaded.Load(unknown.Save(), &error));
    EXPECT_NE(error.find("rival"), std::string::npos) << error;
}

// The pace a rival flies each leg of her first lap at, and her fastest moment on it.
struct Lap {
    std::vector<float> paces;
    float fastest = 0.0f;
};

Lap FirstLap(RaceState state, const race::Course& course, std::size_t who, std::int32_t* bestPlace) {
    Lap lap;
    std::int32_t leg = -1;
    for (int i = 0; i < 6000 && !state.racers[who].finished; ++i) {
        race::Step(state, course, {});
        const race::RacerState& racer = state.racers[who];
        if (racer.rival.leg != leg) lap.paces.push_back(racer.rival.pace);
        leg = racer.rival.leg;
        lap.fastest = std::max(lap.fastest, racer.speed);
        if (state.started && i % 100 == 0) *bestPlace = std::min(*bestPlace, racer.place);
    }
    return lap;
}

// Left on the grid ten seconds longer, a rival is last all lap and flies every leg exactly as she
// would have up front: being behind earns her nothing.
TEST(Rivals, ARivalFarBehindFliesEveryLegAtThePaceSheWouldHaveUpFront) {
    const race::Course course = Field();
    const RaceState up = Championship(course, 3);
    RaceState behind = up;
    behind.racers[2].startDelay += 625;
    std::int32_t placeUp = 5, placeBehind = 5;
    const Lap front = FirstLap(up, course, 2, &placeUp);
    const Lap back = FirstLap(behind, course, 2, &placeBehind);
    ASSERT_EQ(placeBehind, 5) << "she was never last";
    ASSERT_LT(placeUp, 5);
    ASSERT_EQ(front.paces.size(), course.checkPoints.size());
    EXPECT_EQ(back.paces, front.paces);
    const race::RivalFlight& flight = up.racers[2].rival;
    EXPECT_LE(back.fastest, flight.topSpeed * flight.personality.paceHigh);
}

} // namespace
