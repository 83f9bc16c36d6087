// Collision with scenery, checkpoint passage and the finish, and the automatic pilot's planning.
#include <gtest/gtest.h>

#include "player/race_world.h"

namespace {

// A racer whose probe point (one unit above it) is at `probe`, flying along +Z at `speed`.
std::shared_ptr<Player> RacerFlyingNorth(RaceWorld& world, std::int32_t autoPilot, const D3DXVECTOR3& probe,
                                         float speed) {
    auto racer = world.AddRacer(autoPilot, probe - D3DXVECTOR3{0.0f, 1.0f, 0.0f}, 0.0f);
    racer->speed = speed;
    racer->velocity = {0.0f, 0.0f, speed};
    return racer;
}

class Collision : public ::testing::Test {
protected:
    void SetUp() override { world.AddCheckPoint({0.0f, 500.0f, 5000.0f}, 10.0f); }

    // A 20 × 20 wall across the path, its face `distance` ahead of the probe point (0, 51, 0).
    NEditer::MapObject* WallAhead(float distance, const std::string& kind = "wall") {
        return world.AddWall(kind, MatrixTranslation(0.0f, 51.0f, distance), 10.0f, 10.0f, 14.2f);
    }

    RaceWorld world;
};

TEST_F(Collision, WallTwoAheadPushesBackThreeAndCostsFivePercent) {
    WallAhead(2.0f);
    auto racer = RacerFlyingNorth(world, 0, {0.0f, 51.0f, 0.0f}, 1.0f);
    racer->CollideAndPassCheckPoints();
    EXPECT_NEAR(racer->Position().z, -3.0f, 1e-5f);
    EXPECT_NEAR(racer->Position().x, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(racer->speed, 0.95f);
    EXPECT_EQ(MatrixPosition(racer->orientation), racer->Position());
    EXPECT_EQ(racer->drawMatrix, racer->orientation);
}

TEST_F(Collision, AHitAtExactlyReachIsNoContact) {
    WallAhead(5.0f);
    auto racer = RacerFlyingNorth(world, 0, {0.0f, 51.0f, 0.0f}, 1.0f);
    racer->CollideAndPassCheckPoints();
    EXPECT_EQ(racer->Position().z, 0.0f);
    EXPECT_EQ(racer->speed, 1.0f);
}

TEST_F(Collision, ARacerStandingStillCastsNoRay) {
    WallAhead(2.0f);
    auto racer = RacerFlyingNorth(world, 0, {0.0f, 51.0f, 0.0f}, 0.0f);
    racer->velocity = {0, 0, 0};
    racer->CollideAndPassCheckPoints();
    EXPECT_EQ(racer->Position().z, 0.0f);
}

TEST_F(Collision, ObjectsBeyondReachPlusRadiusAreNotTested) {
    // a huge wall 3 ahead whose centre lies far to the side
    world.AddWall("wide", MatrixTranslation(60.0f, 51.0f, 3.0f), 100.0f, 10.0f, 10.0f);
    auto racer = RacerFlyingNorth(world, 0, {0.0f, 51.0f, 0.0f}, 1.0f);
    racer->CollideAndPassCheckPoints();
    EXPECT_EQ(racer->Position().z, 0.0f);
}

TEST_F(Collision, OnlyTheFirstContactInListOrderCounts) {
    WallAhead(4.0f, "far");
    WallAhead(2.0f, "near");
    auto racer = RacerFlyingNorth(world, 0, {0.0f, 51.0f, 0.0f}, 1.0f);
    racer->CollideAndPassCheckPoints();
    EXPECT_NEAR(racer->Position().z, -1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(racer->speed, 0.95f);
}

TEST_F(Collision, PushOutFollowsTheTurnedWallsNormal) {
    // the wall turned 90 degrees about Y faces −X; the racer flies east into it
    world.AddWall("wall", MatrixRotationY(D3DX_PI / 2) * MatrixTranslation(3.0f, 51.0f, 0.0f), 10.0f, 10.0f, 14.2f);
    auto racer = world.AddRacer(0, {0.0f, 50.0f, 0.0f}, 90.0f);
    racer->speed = 1.0f;
    racer->velocity = {1.0f, 0.0f, 0.0f};
    racer->CollideAndPassCheckPoints();
    EXPECT_NEAR(racer->Position().x, -2.0f, 1e-4f);
}

TEST_F(Collision, StuckAutomaticRacerStopsColliding) {
    WallAhead(2.0f);
    auto slow = RacerFlyingNorth(world, 1, {0.0f, 51.0f, 0.0f}, 0.31f);
    slow->CollideAndPassCheckPoints();
    EXPECT_TRUE(slow->noCollision);
    const float z = slow->Position().z;
    slow->CollideAndPassCheckPoints();
    EXPECT_EQ(slow->Position().z, z);
}

TEST_F(Collision, SlowKeyboardRacerKeepsColliding) {
    WallAhead(2.0f);
    auto racer = RacerFlyingNorth(world, 0, {0.0f, 51.0f, 0.0f}, 0.1f);
    racer->CollideAndPassCheckPoints();
    EXPECT_FALSE(racer->noCollision);
}

class CheckPoints : public ::testing::Test {
protected:
    void SetUp() override {
        world.AddCheckPoint({0.0f, 51.0f, 100.0f}, 15.0f);
        world.AddCheckPoint({0.0f, 51.0f, 200.0f}, 15.0f);
        world.AddCheckPoint({0.0f, 51.0f, 300.0f}, 15.0f);
        MapManager::Instance().timer.stopped = false;
    }

    RaceWorld world;
};

TEST_F(CheckPoints, PassingOneAdvancesAndCelebrates) {
    auto racer = RacerFlyingNorth(world, 0, {0.0f, 51.0f, 90.0f}, 1.0f);
    racer->CollideAndPassCheckPoints();
    EXPECT_EQ(racer->nextCheckPoint, 1);
    EXPECT_EQ(racer->celebration, 50);
    EXPECT_FALSE(racer->finished);
    // just outside the radius of the next one
    RaceWorld::Place(*racer, {0.0f, 50.0f, 185.0f}, 0.0f);
    racer->CollideAndPassCheckPoints();
    EXPECT_EQ(racer->nextCheckPoint, 1);
}

TEST_F(CheckPoints, LastOneOnTheKeyboardFinishesStopsTheClockAndHandsOver) {
    auto racer = RacerFlyingNorth(world, 0, {0.0f, 51.0f, 295.0f}, 1.0f);
    racer->nextCheckPoint = 2;
    racer->boostTimer = 12.0f;
    racer->CollideAndPassCheckPoints();
    EXPECT_TRUE(racer->finished);
    EXPECT_TRUE(MapManager::Instance().timer.stopped);
    EXPECT_EQ(racer->autoPilot, 1);
    EXPECT_EQ(racer->nextCheckPoint, 0);
    EXPECT_EQ(racer->celebration, 0);
    EXPECT_EQ(racer->boostTimer, 0.0f);
}

TEST_F(CheckPoints, KeyboardRacerOnTheAutomaticPilotAlsoStopsTheClockAtTheFinish) {
    auto racer = RacerFlyingNorth(world, 1, {0.0f, 51.0f, 295.0f}, 1.0f); // C pressed during the race
    racer->nextCheckPoint = 2;
    racer->CollideAndPassCheckPoints();
    EXPECT_TRUE(racer->finished);
    EXPECT_TRUE(MapManager::Instance().timer.stopped);
    EXPECT_EQ(racer->nextCheckPoint, 0);
    ASSERT_EQ(racer->waypoints.size(), 1u);
    EXPECT_EQ(racer->waypoints.front(), (D3DXVECTOR3{0.0f, 51.0f, 100.0f}));
}

TEST_F(CheckPoints, AutomaticRacerWrapsToTheFirstAndLeavesTheClockRunning) {
    world.AddRacer(0, {0.0f, 50.0f, -500.0f}, 0.0f); // the keyboard racer, elsewhere
    auto rival = RacerFlyingNorth(world, 1, {0.0f, 51.0f, 295.0f}, 1.0f);
    rival->nextCheckPoint = 2;
    rival->CollideAndPassCheckPoints();
    EXPECT_TRUE(rival->finished);
    EXPECT_EQ(rival->nextCheckPoint, 0);
    EXPECT_EQ(rival->celebration, 50);
    EXPECT_FALSE(MapManager::Instance().timer.stopped);
}

TEST(CourseWithoutCheckPoints, FlightStepsRunWithoutReadingPastTheList) {
    RaceWorld world;
    auto racer = world.AddRacer(1, {0.0f, 50.0f, 0.0f}, 0.0f);
    for (int i = 0; i < 5; ++i) racer->Update();
    EXPECT_EQ(racer->nextCheckPoint, 0);
    EXPECT_FALSE(racer->finished);
}

// ---- the automatic pilot's planner ----

class Planner : public ::testing::Test {
protected:
    // An obstacle 50 ahead of the start, 3 units right of the line, radius 10.
    void AddObstacle(const std::string& kind) {
        world.AddWall(kind, MatrixTranslation(3.0f, 1.0f, 50.0f), 10.0f, 10.0f, 10.0f);
    }

    RaceWorld world;
    const D3DXVECTOR3 start{0.0f, 1.0f, 0.0f};
    const D3DXVECTOR3 target{0.0f, 1.0f, 100.0f};
};

TEST_F(Planner, ClearWayReturnsTheTarget) {
    auto racer = world.AddRacer(1, {0.0f, 0.0f, 0.0f}, 0.0f);
    D3DXVECTOR3 point;
    EXPECT_TRUE(racer->PlanWaypoint(target, start, &point));
    EXPECT_EQ(point, target);
    EXPECT_TRUE(racer->waypoints.empty());
}

TEST_F(Planner, DetoursOnTheSideTheLinePasses) {
    AddObstacle("church");
    auto racer = world.AddRacer(1, {0.0f, 0.0f, 0.0f}, 0.0f);
    D3DXVECTOR3 point;
    EXPECT_FALSE(racer->PlanWaypoint(target, start, &point));
    EXPECT_NEAR(point.x, -7.0f, 1e-4f);
    EXPECT_EQ(point.y, 1.0f);
    EXPECT_NEAR(point.z, 50.0f, 1e-4f);
    ASSERT_EQ(racer->waypoints.size(), 1u);
    EXPECT_EQ(racer->waypoints.front(), point);
}

TEST_F(Planner, TakesTheOtherSideWhenTheDetourIsTooFarOffTheNoseForItsSpeed) {
    AddObstacle("church");
    auto racer = world.AddRacer(1, {0.0f, 0.0f, 0.0f}, 90.0f); // nose along +X, 98 degrees from the detour
    racer->speed = racer->maxSpeed;                            // accepts 30 degrees
    D3DXVECTOR3 point;
    racer->PlanWaypoint(target, start, &point);
    EXPECT_NEAR(point.x, 13.0f, 1e-4f);

    racer->speed = 0.0f; // at rest it accepts 120 degrees
    racer->PlanWaypoint(target, start, &point);
    EXPECT_NEAR(point.x, -7.0f, 1e-4f);
}

TEST(PlannerKinds, IgnoresOnlyTheKindNamedExactlyGround) {
    for (const char* kind : {"Ground", "ground", "Ground ", "GROUND"}) {
        RaceWorld world;
        world.AddWall(kind, MatrixTranslation(3.0f, 1.0f, 50.0f), 10.0f, 10.0f, 10.0f);
        auto racer = world.AddRacer(1, {0.0f, 0.0f, 0.0f}, 0.0f);
        D3DXVECTOR3 point;
        const bool clear = racer->PlanWaypoint({0.0f, 1.0f, 100.0f}, {0.0f, 1.0f, 0.0f}, &point);
        EXPECT_EQ(clear, std::string(kind) == "Ground") << "kind '" << kind << "'";
    }
}

TEST_F(Planner, ObstaclesBehindTheStartOrBeyondTheTargetAreNoCandidates) {
    world.AddWall("church", MatrixTranslation(0.0f, 1.0f, -20.0f), 10.0f, 10.0f, 10.0f);
    world.AddWall("church", MatrixTranslation(0.0f, 1.0f, 120.0f), 10.0f, 10.0f, 10.0f);
    // beside the line, farther than its radius
    world.AddWall("church", MatrixTranslation(12.0f, 1.0f, 50.0f), 10.0f, 10.0f, 10.0f);
    auto racer = world.AddRacer(1, {0.0f, 0.0f, 0.0f}, 0.0f);
    D3DXVECTOR3 point;
    EXPECT_TRUE(racer->PlanWaypoint(target, start, &point));
}

TEST_F(Planner, ACandidateTheRayMissesLeavesTheWayClear) {
    // within radius of the line, but its small model does not reach it
    world.AddWall("church", MatrixTranslation(8.0f, 1.0f, 50.0f), 2.0f, 2.0f, 10.0f);
    auto racer = world.AddRacer(1, {0.0f, 0.0f, 0.0f}, 0.0f);
    D3DXVECTOR3 point;
    EXPECT_TRUE(racer->PlanWaypoint(target, start, &point));
}

// ---- steering ----

TEST(Steer, SnapsOntoATargetInsideTheDeadBand) {
    RaceWorld world;
    world.AddCheckPoint({0.0f, 51.0f, 2000.0f}, 15.0f);
    auto racer = world.AddRacer(1, {1.0f, 50.0f, 0.0f}, 0.0f); // target 0.03 degrees to the left
    racer->yawRate = 0.5f;
    racer->throttleInput = true;
    racer->Steer();
    EXPECT_FALSE(racer->rightInput);
    EXPECT_FALSE(racer->leftInput);
    EXPECT_EQ(racer->yawRate, 0.0f);
    EXPECT_GT(racer->yaw, 359.0f); // wrapped below 0 to 360
    EXPECT_TRUE(racer->throttleInput);
}

TEST(Steer, ReleasesTheThrottleForATargetBehindAndTurnsTowardsIt) {
    RaceWorld world;
    world.AddCheckPoint({-100.0f, 51.0f, -1000.0f}, 15.0f);
    auto racer = world.AddRacer(1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer->speed = 2.2f;
    racer->throttleInput = true;
    racer->Steer();
    EXPECT_TRUE(racer->leftInput);
    EXPECT_FALSE(racer->throttleInput);
}

TEST(Steer, PitchesUpForATargetAbove) {
    RaceWorld world;
    world.AddCheckPoint({0.0f, 300.0f, 1000.0f}, 15.0f);
    auto racer = world.AddRacer(1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer->Steer();
    EXPECT_TRUE(racer->pitchUpInput);
    EXPECT_FALSE(racer->pitchDownInput);
}

TEST(Steer, ReachingTheLastDetourFallsBackToTheCheckPoint) {
    RaceWorld world;
    world.AddCheckPoint({-2.0f, 1.0f, 200.0f}, 15.0f);
    // the line x = −2 runs into the obstacle, whose detour (−4, 1, 50) is within reach of the racer
    world.AddWall("church", MatrixTranslation(0.0f, 1.0f, 50.0f), 4.0f, 4.0f, 4.0f);
    auto racer = world.AddRacer(1, {-2.0f, 0.0f, 46.0f}, 0.0f);
    racer->noCollision = true;
    racer->Steer();
    EXPECT_FALSE(racer->noCollision);
    EXPECT_TRUE(racer->detouring) << "the way to the checkpoint is still blocked";
    ASSERT_FALSE(racer->waypoints.empty());
    EXPECT_NEAR(racer->waypoints.front().x, -4.0f, 1e-4f);
}

TEST(Steer, AClearWayEmptiesTheDetoursAndCollisionComesBack) {
    RaceWorld world;
    world.AddCheckPoint({0.0f, 51.0f, 1000.0f}, 15.0f);
    auto racer = world.AddRacer(1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer->waypoints = {{5.0f, 5.0f, 5.0f}, {6.0f, 6.0f, 6.0f}};
    racer->noCollision = true;
    racer->detouring = true;
    racer->Steer();
    EXPECT_TRUE(racer->waypoints.empty());
    EXPECT_FALSE(racer->noCollision);
    EXPECT_FALSE(racer->detouring);
}

} // namespace
