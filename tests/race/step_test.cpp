// The whole race step: the grid, the countdown and the start, the places, and a race that depends
// only on its state, course and controls.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "support/race_fixture.h"

namespace {

using race::Controls;
using race::EventKind;
using racetest::TestRace;

race::RaceState Grid(std::uint64_t seed, const race::Course& course = race::Course{}) {
    return race::NewRace(course, race::Grid{}, Difficulty::Normal, seed);
}

TEST(NewRace, FivePlacesOnADiagonalLineForHeading270WithThePersonFirst) {
    const race::RaceState state = Grid(1); // the course's default start: (750, 50, -1020) facing 270
    ASSERT_EQ(state.racerCount, 5u);
    EXPECT_EQ(state.RacerOfSeat(0), 0);
    for (std::size_t i = 0; i < 5; ++i) {
        const race::RacerState& racer = state.racers[i];
        const D3DXVECTOR3 p = racer.Position();
        const float n = static_cast<float>(i);
        EXPECT_NEAR(p.x, 750.0f - 0.5f * n, 1e-4f);
        EXPECT_NEAR(p.y, 50.0f, 1e-6f);
        EXPECT_NEAR(p.z, -1020.0f + 1.5f * n, 1e-4f);
        EXPECT_EQ(racer.yaw, 270.0f);
        EXPECT_TRUE(racer.frozen);
        EXPECT_EQ(racer.place, 1);
        if (i == 0) {
            EXPECT_EQ(racer.seat, 0);
            EXPECT_EQ(racer.autoPilot, 0);
            EXPECT_EQ(racer.startDelay, 0);
        } else {
            EXPECT_EQ(racer.seat, -1);
            EXPECT_EQ(racer.autoPilot, 1);
            EXPECT_GE(racer.startDelay, 0);
            EXPECT_LT(racer.startDelay, 200);
        }
    }
}

TEST(NewRace, TheSeedDrawsTheStartDelays) {
    auto delays = [](std::uint64_t seed) {
        const race::RaceState state = Grid(seed);
        std::vector<std::int32_t> out;
        for (std::size_t i = 1; i < state.racerCount; ++i) out.push_back(state.racers[i].startDelay);
        return out;
    };
    EXPECT_EQ(delays(7), delays(7));
    EXPECT_NE(delays(7), delays(8));
    EXPECT_EQ(Grid(7).Hash(), Grid(7).Hash());
}

// Three lights a beep apart, "go" with the third, and the racers held on the grid until the update after.
TEST(Countdown, BeepsOn52104And156AndRacersFlyFrom157) {
    race::Course course;
    course.checkPoints.push_back(race::CourseCheckPoint{{0.0f, 50.0f, 0.0f}, 15.0f});
    race::RaceState state = Grid(1, course);
    std::vector<D3DXVECTOR3> grid;
    for (std::size_t i = 0; i < state.racerCount; ++i) grid.push_back(state.racers[i].Position());
    Controls throttle;
    throttle.throttle = true;
    std::vector<std::uint32_t> beeps, lights, goes;
    for (std::uint32_t update = 1; update <= 156; ++update) {
        const race::RaceEvents events = race::Step(state, course, {&throttle, 1});
        for (const race::RaceEvent& e : events) {
            if (e.kind == EventKind::CountdownBeep) {
                beeps.push_back(update);
                lights.push_back(static_cast<std::uint32_t>(e.value));
            }
            if (e.kind == EventKind::Go) goes.push_back(update);
        }
    }
    EXPECT_EQ(beeps, (std::vector<std::uint32_t>{52, 104, 156}));
    EXPECT_EQ(lights, (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(goes, std::vector<std::uint32_t>{156});
    for (std::size_t i = 0; i < grid.size(); ++i) EXPECT_EQ(state.racers[i].Position(), grid[i]) << i;
    EXPECT_GT(state.racers[0].speed, 1.0f) << "the throttle revs on the grid";
    EXPECT_FALSE(state.started);
    EXPECT_EQ(state.clockUpdates, 0u);

    EXPECT_EQ(race::Step(state, course, {&throttle, 1}).count, 0u);
    EXPECT_TRUE(state.started);
    EXPECT_NE(state.racers[0].Position(), grid[0]);
    race::Step(state, course, {&throttle, 1});
    EXPECT_EQ(state.clockUpdates, 1u);
}

// ---- places ----

class Places : public ::testing::Test {
protected:
    // Everyone frozen on the way to checkpoint 1 (at z 2000): the person 100 from it, the rivals 200.
    Places() {
        race.AddCheckPoint({0.0f, 50.0f, 1000.0f}, 15.0f);
        race.AddCheckPoint({0.0f, 50.0f, 2000.0f}, 15.0f);
        race.AddCheckPoint({0.0f, 50.0f, 3000.0f}, 15.0f);
        race.AddRacer(0, {0.0f, 50.0f, 1900.0f}, 0.0f);
        for (int i = 0; i < 4; ++i) race.AddRacer(-1, {0.0f, 50.0f, 1800.0f}, 0.0f);
        for (std::size_t i = 0; i < 5; ++i) {
            race.state.racers[i].nextCheckPoint = 1;
            race.state.racers[i].frozen = true;
        }
    }
    race::RacerState& Rival(std::size_t i) { return race.state.racers[i + 1]; }
    std::int32_t PersonsPlace() {
        race.Step();
        return race.state.racers[0].place;
    }

    TestRace race;
};

TEST_F(Places, FirstWhenEveryoneIsBehind) { EXPECT_EQ(PersonsPlace(), 1); }

TEST_F(Places, AFurtherCheckPointOrAShorterDistanceIsAheadButATieIsNot) {
    Rival(0).nextCheckPoint = 2; // 900 from checkpoint 2
    TestRace::Place(Rival(0), {0.0f, 50.0f, 2100.0f}, 0.0f);
    TestRace::Place(Rival(1), {0.0f, 50.0f, 1901.0f}, 0.0f); // 99 from checkpoint 1
    TestRace::Place(Rival(2), {0.0f, 50.0f, 1900.0f}, 0.0f); // equal distance: not ahead
    EXPECT_EQ(PersonsPlace(), 3);
}

TEST_F(Places, FinishedRivalsAreAheadWhateverTheirCheckPoint) {
    Rival(3).finished = true;
    Rival(3).nextCheckPoint = 0;
    EXPECT_EQ(PersonsPlace(), 2);
}

TEST_F(Places, ThePlaceStaysOnceThePersonHasFinished) {
    for (std::size_t i = 0; i < 4; ++i) TestRace::Place(Rival(i), {0.0f, 50.0f, 1950.0f}, 0.0f);
    EXPECT_EQ(PersonsPlace(), 5);
    race.state.racers[0].finished = true;
    for (std::size_t i = 0; i < 4; ++i) TestRace::Place(Rival(i), {0.0f, 50.0f, -1500.0f}, 0.0f);
    EXPECT_EQ(PersonsPlace(), 5);
}

// ---- determinism ----

// A small course with a wall across the first leg, flown from the grid by four computer racers and a
// person who flies into the wall, steers and boosts by hand for a while, then hands over to the
// automatic pilot.
race::Course SmallCourse() {
    race::Course course;
    course.checkPoints.push_back(race::CourseCheckPoint{{550.0f, 50.0f, -1020.0f}, 15.0f});
    course.checkPoints.push_back(race::CourseCheckPoint{{550.0f, 50.0f, -800.0f}, 15.0f});
    course.checkPoints.push_back(race::CourseCheckPoint{{750.0f, 50.0f, -900.0f}, 15.0f});
    course.AddObject(
        racetest::Wall(MatrixRotationY(D3DX_PI / 2) * MatrixTranslation(650.0f, 50.0f, -1020.0f), 6.0f, 6.0f, 8.5f));
    course.Prepare();
    return course;
}

Controls PersonAt(std::uint32_t update) {
    Controls c;
    c.throttle = update % 90 < 70;
    c.turn = update < 300 ? 0.0f : std::sin(static_cast<float>(update) * 0.05f); // into the wall first
    c.pitch = update % 200 < 20 ? 1.0f : 0.0f;
    c.boost = update % 300 > 280;
    c.swapNose = update == 500;
    c.togglePilot = update == 700;
    return c;
}

TEST(Determinism, TwoCopiesStepTheSameWholeRaceAndSavedBytesCarryOn) {
    const race::Course course = SmallCourse();
    race::RaceState a = Grid(42, course);
    race::RaceState b = a;
    bool touched = false, detoured = false;
    std::uint32_t update = 0;
    auto everyoneFinished = [&] {
        for (std::size_t i = 0; i < a.racerCount; ++i)
            if (!a.racers[i].finished) return false;
        return true;
    };
    for (; update < 20000 && !everyoneFinished(); ++update) {
        const Controls controls = PersonAt(update);
        race::Step(a, course, {&controls, 1});
        race::Step(b, course, {&controls, 1});
        ASSERT_EQ(a.Hash(), b.Hash()) << "update " << update << ": " << race::RaceState::FirstDifference(a, b);
        // a race rewound to its saved bytes flies on exactly as the original
        if (update % 45 == 0) { ASSERT_TRUE(b.Load(a.Save())); }
        for (std::size_t i = 0; i < a.racerCount; ++i) {
            touched = touched || a.racers[i].touched >= 0;
            detoured = detoured || a.racers[i].detouring;
        }
    }
    EXPECT_TRUE(everyoneFinished()) << "after " << update << " updates";
    EXPECT_TRUE(a.clockStopped);
    EXPECT_TRUE(touched && detoured) << "the wall should have been in the racers' way";
}

} // namespace
