// The automatic pilot: planning round the scenery and steering towards its target.
#include <gtest/gtest.h>

#include "support/race_fixture.h"

namespace {

using racetest::TestRace;

// ---- planning ----

class Planner : public ::testing::Test {
protected:
    // An obstacle 50 ahead of the start, 3 units right of the line, radius 10.
    void AddObstacle() { race.AddWall(MatrixTranslation(3.0f, 1.0f, 50.0f), 10.0f, 10.0f, 10.0f); }
    bool Plan(D3DXVECTOR3* point) {
        race::RacerStep step = race.For(0);
        return race::PlanWaypoint(step, target, start, point);
    }

    TestRace race;
    const D3DXVECTOR3 start{0.0f, 1.0f, 0.0f};
    const D3DXVECTOR3 target{0.0f, 1.0f, 100.0f};
};

TEST_F(Planner, ClearWayReturnsTheTarget) {
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 0.0f, 0.0f}, 0.0f);
    D3DXVECTOR3 point;
    EXPECT_TRUE(Plan(&point));
    EXPECT_EQ(point, target);
    EXPECT_TRUE(racer.waypoints.empty());
}

TEST_F(Planner, DetoursOnTheSideTheLinePasses) {
    AddObstacle();
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 0.0f, 0.0f}, 0.0f);
    D3DXVECTOR3 point;
    EXPECT_FALSE(Plan(&point));
    EXPECT_NEAR(point.x, -7.0f, 1e-4f);
    EXPECT_EQ(point.y, 1.0f);
    EXPECT_NEAR(point.z, 50.0f, 1e-4f);
    ASSERT_EQ(racer.waypoints.size(), 1u);
    EXPECT_EQ(racer.waypoints.front(), point);
}

TEST_F(Planner, TakesTheOtherSideWhenTheDetourIsTooFarOffTheNoseForItsSpeed) {
    AddObstacle();
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 0.0f, 0.0f}, 90.0f); // nose along +X, 98 degrees off
    racer.speed = racer.maxSpeed;                                           // accepts 30 degrees
    D3DXVECTOR3 point;
    Plan(&point);
    EXPECT_NEAR(point.x, 13.0f, 1e-4f);

    racer.speed = 0.0f; // at rest it accepts 120 degrees
    Plan(&point);
    EXPECT_NEAR(point.x, -7.0f, 1e-4f);
}

TEST_F(Planner, IgnoresTheGround) {
    AddObstacle();
    race.course.objects[0].ground = true;
    race.AddRacer(-1, {0.0f, 0.0f, 0.0f}, 0.0f);
    D3DXVECTOR3 point;
    EXPECT_TRUE(Plan(&point));
}

TEST_F(Planner, ObstaclesBehindTheStartBeyondTheTargetOrMissedByTheRayLeaveTheWayClear) {
    race.AddWall(MatrixTranslation(0.0f, 1.0f, -20.0f), 10.0f, 10.0f, 10.0f);
    race.AddWall(MatrixTranslation(0.0f, 1.0f, 120.0f), 10.0f, 10.0f, 10.0f);
    // beside the line, farther than its radius
    race.AddWall(MatrixTranslation(12.0f, 1.0f, 50.0f), 10.0f, 10.0f, 10.0f);
    // within radius of the line, but its small model does not reach it
    race.AddWall(MatrixTranslation(8.0f, 1.0f, 50.0f), 2.0f, 2.0f, 10.0f);
    race.AddRacer(-1, {0.0f, 0.0f, 0.0f}, 0.0f);
    D3DXVECTOR3 point;
    EXPECT_TRUE(Plan(&point));
}

// ---- steering ----

class Steering : public ::testing::Test {
protected:
    void Steer() {
        race::RacerStep step = race.For(0);
        race::Steer(step);
    }

    TestRace race;
};

TEST_F(Steering, SnapsOntoATargetInsideTheDeadBand) {
    race.AddCheckPoint({0.0f, 51.0f, 2000.0f}, 15.0f);
    race::RacerState& racer = race.AddRacer(-1, {1.0f, 50.0f, 0.0f}, 0.0f); // target 0.03 degrees left
    racer.yawRate = 0.5f;
    racer.throttleInput = true;
    Steer();
    EXPECT_FALSE(racer.rightInput);
    EXPECT_FALSE(racer.leftInput);
    EXPECT_EQ(racer.yawRate, 0.0f);
    EXPECT_GT(racer.yaw, 359.0f); // wrapped below 0 to 360
    EXPECT_TRUE(racer.throttleInput);
}

TEST_F(Steering, ReleasesTheThrottleForATargetBehindAndTurnsTowardsIt) {
    race.AddCheckPoint({-100.0f, 51.0f, -1000.0f}, 15.0f);
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer.speed = 2.2f;
    racer.throttleInput = true;
    Steer();
    EXPECT_TRUE(racer.leftInput);
    EXPECT_FALSE(racer.throttleInput);
}

TEST_F(Steering, PitchesUpForATargetAbove) {
    race.AddCheckPoint({0.0f, 300.0f, 1000.0f}, 15.0f);
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 50.0f, 0.0f}, 0.0f);
    Steer();
    EXPECT_TRUE(racer.pitchUpInput);
    EXPECT_FALSE(racer.pitchDownInput);
}

TEST_F(Steering, ReachingTheLastDetourFallsBackToTheCheckPoint) {
    race.AddCheckPoint({-2.0f, 1.0f, 200.0f}, 15.0f);
    // the line x = −2 runs into the obstacle, whose detour (−4, 1, 50) is within reach of the racer
    race.AddWall(MatrixTranslation(0.0f, 1.0f, 50.0f), 4.0f, 4.0f, 4.0f);
    race::RacerState& racer = race.AddRacer(-1, {-2.0f, 0.0f, 46.0f}, 0.0f);
    racer.noCollision = true;
    Steer();
    EXPECT_FALSE(racer.noCollision);
    EXPECT_TRUE(racer.detouring) << "the way to the checkpoint is still blocked";
    ASSERT_FALSE(racer.waypoints.empty());
    EXPECT_NEAR(racer.waypoints.front().x, -4.0f, 1e-4f);
}

TEST_F(Steering, AClearWayEmptiesTheDetoursAndCollisionComesBack) {
    race.AddCheckPoint({0.0f, 51.0f, 1000.0f}, 15.0f);
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer.waypoints.push_back({5.0f, 5.0f, 5.0f});
    racer.waypoints.push_back({6.0f, 6.0f, 6.0f});
    racer.noCollision = true;
    racer.detouring = true;
    Steer();
    EXPECT_TRUE(racer.waypoints.empty());
    EXPECT_FALSE(racer.noCollision);
    EXPECT_FALSE(racer.detouring);
}

} // namespace
