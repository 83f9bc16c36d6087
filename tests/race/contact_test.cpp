// Contact with the scenery, checkpoint passage, the finish and the race clock.
#include <gtest/gtest.h>

#include "support/race_fixture.h"

namespace {

using race::EventKind;
using racetest::Has;
using racetest::TestRace;

// A racer whose probe point (one unit above it) is at `probe`, flying along +Z at `speed`.
race::RacerState& RacerFlyingNorth(TestRace& race, std::int8_t seat, const D3DXVECTOR3& probe, float speed) {
    race::RacerState& racer = race.AddRacer(seat, probe - D3DXVECTOR3{0.0f, 1.0f, 0.0f}, 0.0f);
    racer.speed = speed;
    racer.velocity = {0.0f, 0.0f, speed};
    return racer;
}

class Collision : public ::testing::Test {
protected:
    Collision() { race.AddCheckPoint({0.0f, 500.0f, 5000.0f}, 10.0f); }

    // A 20 × 20 wall across the path, its face `distance` ahead of the probe point (0, 51, 0).
    void WallAhead(float distance) { race.AddWall(MatrixTranslation(0.0f, 51.0f, distance), 10.0f, 10.0f, 14.2f); }
    void Collide(std::size_t racer = 0) { race.CollideAndPass(racer); }

    TestRace race;
};

TEST_F(Collision, WallTwoAheadPushesBackThreeAndCostsFivePercent) {
    WallAhead(2.0f);
    race::RacerState& racer = RacerFlyingNorth(race, 0, {0.0f, 51.0f, 0.0f}, 1.0f);
    Collide();
    EXPECT_NEAR(racer.Position().z, -3.0f, 1e-5f);
    EXPECT_NEAR(racer.Position().x, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(racer.speed, 0.95f);
    EXPECT_EQ(MatrixPosition(racer.orientation), racer.Position());
    EXPECT_EQ(racer.drawMatrix, racer.orientation);
    EXPECT_EQ(racer.touched, 0);
}

TEST_F(Collision, NoContactAtExactlyReachStandingStillOrBeyondReachPlusRadius) {
    WallAhead(5.0f);
    race::RacerState& atReach = RacerFlyingNorth(race, 0, {0.0f, 51.0f, 0.0f}, 1.0f);
    Collide(0);
    EXPECT_EQ(atReach.Position().z, 0.0f);
    EXPECT_EQ(atReach.speed, 1.0f);
    EXPECT_EQ(atReach.touched, -1);

    TestRace still;
    still.AddCheckPoint({0.0f, 500.0f, 5000.0f}, 10.0f);
    still.AddWall(MatrixTranslation(0.0f, 51.0f, 2.0f), 10.0f, 10.0f, 14.2f);
    race::RacerState& standing = RacerFlyingNorth(still, 0, {0.0f, 51.0f, 0.0f}, 0.0f);
    standing.velocity = {0, 0, 0};
    still.CollideAndPass(0);
    EXPECT_EQ(standing.Position().z, 0.0f) << "a racer standing still casts no ray";

    // a huge wall 3 ahead whose centre lies far to the side is not tested at all
    TestRace wide;
    wide.AddCheckPoint({0.0f, 500.0f, 5000.0f}, 10.0f);
    wide.AddWall(MatrixTranslation(60.0f, 51.0f, 3.0f), 100.0f, 10.0f, 10.0f);
    race::RacerState& passing = RacerFlyingNorth(wide, 0, {0.0f, 51.0f, 0.0f}, 1.0f);
    wide.CollideAndPass(0);
    EXPECT_EQ(passing.Position().z, 0.0f);
}

TEST_F(Collision, OnlyTheFirstContactInCourseOrderCounts) {
    WallAhead(4.0f);
    WallAhead(2.0f);
    race::RacerState& racer = RacerFlyingNorth(race, 0, {0.0f, 51.0f, 0.0f}, 1.0f);
    Collide();
    EXPECT_NEAR(racer.Position().z, -1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(racer.speed, 0.95f);
    EXPECT_EQ(racer.touched, 0);
}

TEST_F(Collision, PushOutFollowsTheTurnedWallsNormal) {
    // the wall turned 90 degrees about Y faces −X; the racer flies east into it
    race.AddWall(MatrixRotationY(D3DX_PI / 2) * MatrixTranslation(3.0f, 51.0f, 0.0f), 10.0f, 10.0f, 14.2f);
    race::RacerState& racer = race.AddRacer(0, {0.0f, 50.0f, 0.0f}, 90.0f);
    racer.speed = 1.0f;
    racer.velocity = {1.0f, 0.0f, 0.0f};
    Collide();
    EXPECT_NEAR(racer.Position().x, -2.0f, 1e-4f);
}

TEST_F(Collision, SlowAutomaticRacerStopsCollidingButASlowPersonKeepsColliding) {
    WallAhead(2.0f);
    race::RacerState& slow = RacerFlyingNorth(race, -1, {0.0f, 51.0f, 0.0f}, 0.31f);
    Collide(0);
    EXPECT_TRUE(slow.noCollision);
    const float z = slow.Position().z;
    Collide(0);
    EXPECT_EQ(slow.Position().z, z);

    race::RacerState& person = RacerFlyingNorth(race, 0, {0.0f, 51.0f, 0.0f}, 0.1f);
    Collide(1);
    EXPECT_NE(person.Position().z, 0.0f);
    EXPECT_FALSE(person.noCollision);
}

// ---- checkpoints, the finish and the clock ----

class CheckPoints : public ::testing::Test {
protected:
    CheckPoints() {
        race.AddCheckPoint({0.0f, 51.0f, 100.0f}, 15.0f);
        race.AddCheckPoint({0.0f, 51.0f, 200.0f}, 15.0f);
        race.AddCheckPoint({0.0f, 51.0f, 300.0f}, 15.0f);
    }

    TestRace race;
};

TEST_F(CheckPoints, PassingOneAdvancesCelebratesAndReportsWhoFlewIt) {
    race::RacerState& racer = RacerFlyingNorth(race, 0, {0.0f, 51.0f, 90.0f}, 1.0f);
    race.CollideAndPass(0);
    EXPECT_EQ(racer.nextCheckPoint, 1);
    EXPECT_EQ(racer.celebration, 50);
    EXPECT_FALSE(racer.finished);
    ASSERT_EQ(race.events.count, 1u);
    EXPECT_EQ(race.events.list[0].kind, EventKind::CheckPointPassed);
    EXPECT_EQ(race.events.list[0].racer, 0);
    EXPECT_EQ(race.events.list[0].value, 0);
    EXPECT_TRUE(race.events.list[0].byHand);
    // just outside the radius of the next one
    TestRace::Place(racer, {0.0f, 50.0f, 185.0f}, 0.0f);
    race.CollideAndPass(0);
    EXPECT_EQ(racer.nextCheckPoint, 1);
    EXPECT_EQ(race.events.count, 0u);
}

TEST_F(CheckPoints, LastOneFlownByHandFinishesStopsTheClockAndHandsOver) {
    race::RacerState& racer = RacerFlyingNorth(race, 0, {0.0f, 51.0f, 295.0f}, 1.0f);
    racer.nextCheckPoint = 2;
    racer.boostTimer = 12.0f;
    race.state.raceUpdates = 40;
    EXPECT_TRUE(Has(race.Step(), EventKind::Finish, 0));
    EXPECT_TRUE(racer.finished);
    EXPECT_EQ(racer.finishUpdate, 41u);
    EXPECT_TRUE(race.state.clockStopped);
    EXPECT_EQ(race.state.ClockMs(), 41u * race::kUpdateMs);
    EXPECT_EQ(racer.autoPilot, 1);
    EXPECT_EQ(racer.nextCheckPoint, 0);
    EXPECT_EQ(racer.celebration, 0);
    EXPECT_EQ(racer.boostTimer, 0.0f);
    race.Step(5);
    EXPECT_EQ(race.state.ClockMs(), 41u * race::kUpdateMs);
}

TEST_F(CheckPoints, PersonOnTheAutomaticPilotAlsoStopsTheClockAtTheFinish) {
    race::RacerState& racer = RacerFlyingNorth(race, 0, {0.0f, 51.0f, 295.0f}, 1.0f);
    racer.autoPilot = 1; // the pilot toggled on during the race
    racer.nextCheckPoint = 2;
    EXPECT_TRUE(Has(race.Step(), EventKind::Finish, 0));
    EXPECT_TRUE(racer.finished);
    EXPECT_TRUE(race.state.clockStopped);
    EXPECT_EQ(racer.nextCheckPoint, 0);
    ASSERT_EQ(racer.waypoints.size(), 1u);
    EXPECT_EQ(racer.waypoints.front(), (D3DXVECTOR3{0.0f, 51.0f, 100.0f}));
}

TEST_F(CheckPoints, AutomaticRacerWrapsToTheFirstAndLeavesTheClockRunning) {
    race.AddRacer(0, {0.0f, 50.0f, -500.0f}, 0.0f); // the person, elsewhere
    race::RacerState& rival = RacerFlyingNorth(race, -1, {0.0f, 51.0f, 295.0f}, 1.0f);
    rival.nextCheckPoint = 2;
    EXPECT_TRUE(Has(race.Step(), EventKind::Finish, 1));
    EXPECT_TRUE(rival.finished);
    EXPECT_EQ(rival.nextCheckPoint, 0);
    EXPECT_EQ(rival.celebration, 50);
    EXPECT_FALSE(race.state.clockStopped);
}

TEST_F(CheckPoints, ClockRunsUntilEverySeatedRacerHasFinished) {
    race::RacerState& first = RacerFlyingNorth(race, 0, {0.0f, 51.0f, 295.0f}, 1.0f);
    race::RacerState& second = RacerFlyingNorth(race, 1, {0.0f, 51.0f, -300.0f}, 1.0f);
    first.nextCheckPoint = second.nextCheckPoint = 2;
    race.Step();
    ASSERT_TRUE(first.finished);
    EXPECT_FALSE(race.state.clockStopped);
    race.Step(9);
    EXPECT_EQ(race.state.ClockMs(), 10u * race::kUpdateMs);
    TestRace::Place(second, {0.0f, 50.0f, 295.0f}, 0.0f);
    race.Step();
    ASSERT_TRUE(second.finished);
    EXPECT_TRUE(race.state.clockStopped);
    race.Step(3);
    EXPECT_EQ(race.state.ClockMs(), 11u * race::kUpdateMs);
}

TEST(CourseWithoutCheckPoints, FlightRunsWithoutReadingPastTheList) {
    TestRace race;
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 50.0f, 0.0f}, 0.0f);
    race.Step(5);
    EXPECT_EQ(racer.nextCheckPoint, 0);
    EXPECT_FALSE(racer.finished);
}

} // namespace
