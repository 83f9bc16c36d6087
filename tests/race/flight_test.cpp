// The flight step: coasting, turning, pitch, throttle, boost, frozen racers, the drawn body, and the
// automatic pilot's flight.
#include <gtest/gtest.h>

#include <cmath>

#include "support/race_fixture.h"

namespace {

using race::Controls;
using race::EventKind;
using racetest::Has;
using racetest::TestRace;

Controls Throttle() {
    Controls c;
    c.throttle = true;
    return c;
}
Controls Turn(float turn, bool boost = false) {
    Controls c;
    c.turn = turn;
    c.boost = boost;
    return c;
}
Controls Boost(bool throttle = false) {
    Controls c;
    c.boost = true;
    c.throttle = throttle;
    return c;
}
Controls Pitch(float pitch, bool throttle = false) {
    Controls c;
    c.pitch = pitch;
    c.throttle = throttle;
    return c;
}

class HandFlight : public ::testing::Test {
protected:
    HandFlight() : racer(race.AddRacer(0, {0.0f, 50.0f, 0.0f}, 0.0f)) {
        race.AddCheckPoint({0.0f, 50.0f, 5000.0f}, 10.0f); // far away, so that no update passes it
    }

    TestRace race;
    race::RacerState& racer;
};

TEST_F(HandFlight, CoastsAndSettlesWithNothingHeld) {
    racer.speed = 1.0f;
    racer.yawRate = 0.5f;
    racer.pitch = 10.0f;
    race.Step();
    EXPECT_FLOAT_EQ(racer.speed, 0.992f);
    EXPECT_FLOAT_EQ(racer.yawRate, 0.475f);
    EXPECT_FLOAT_EQ(racer.pitch, 9.75f);
    EXPECT_FLOAT_EQ(racer.yaw, 0.475f);
}

TEST_F(HandFlight, HangsInTheAirWithoutSpeed) {
    race.Step(50);
    EXPECT_EQ(racer.Position(), (D3DXVECTOR3{0.0f, 50.0f, 0.0f}));
}

TEST_F(HandFlight, YawWrapsToZeroPast360AndTo360BelowZero) {
    racer.yaw = 359.8f;
    racer.yawRate = 0.5f;
    race.Step(1, Turn(1.0f));
    EXPECT_EQ(racer.yaw, 0.0f);

    racer.yaw = 0.2f;
    racer.yawRate = -0.5f;
    race.Step(1, Turn(-1.0f));
    EXPECT_EQ(racer.yaw, 360.0f);
}

TEST_F(HandFlight, TurnRateIsCappedInNormalFlight) {
    race.Step(100, Turn(1.0f));
    EXPECT_FLOAT_EQ(racer.yawRate, 0.8f);
}

TEST_F(HandFlight, NoseCannotRiseFromStandstill) {
    race.Step(20, Pitch(1.0f));
    EXPECT_EQ(racer.pitch, 0.0f);
}

TEST_F(HandFlight, SteeringHalvesTheThrottleGainButNoseUpDoesNot) {
    race.Step(1, Throttle());
    EXPECT_FLOAT_EQ(racer.speed, 0.01f);
    Controls left = Turn(-1.0f);
    left.throttle = true;
    race.Step(1, left);
    EXPECT_FLOAT_EQ(racer.speed, 0.015f);
    race.Step(1, Pitch(-1.0f, true));
    EXPECT_FLOAT_EQ(racer.speed, 0.02f);
    race.Step(1, Pitch(1.0f, true));
    EXPECT_FLOAT_EQ(racer.speed, 0.03f);
}

TEST_F(HandFlight, ThrottleFliesAlongTheHeadingUpToMaxSpeedAndAsksForSparks) {
    TestRace::Place(racer, {0.0f, 50.0f, 0.0f}, 90.0f); // facing +X
    const race::RaceEvents first = race.Step(1, Throttle());
    EXPECT_EQ(first.fx[0].throttleChance, 10); // one in ten at a standstill
    EXPECT_TRUE(first.fx[0].throttleBigSpark);
    const race::RaceEvents last = race.Step(299, Throttle());
    EXPECT_FLOAT_EQ(racer.speed, 2.2f);
    const D3DXVECTOR3 p = racer.Position();
    EXPECT_GT(p.x, 300.0f);
    EXPECT_NEAR(p.z, 0.0f, 1e-3f);
    EXPECT_NEAR(p.y, 50.0f, 1e-3f);
    EXPECT_NEAR(D3DXVec3Length(&racer.velocity), 2.2f, 1e-4f);
    EXPECT_EQ(last.fx[0].throttleChance, 1);
    EXPECT_FALSE(last.fx[0].throttleBigSpark);
    EXPECT_EQ(race.Step().fx[0].throttleChance, 0) << "no throttle, no sparks";
}

TEST_F(HandFlight, BoostFromStandstillGivesNoMotion) {
    race.Step(10, Boost(true));
    EXPECT_TRUE(racer.boosting);
    EXPECT_EQ(racer.speed, 0.0f);
    EXPECT_EQ(racer.velocity, (D3DXVECTOR3{0, 0, 0}));
    EXPECT_EQ(racer.Position(), (D3DXVECTOR3{0.0f, 50.0f, 0.0f}));
}

TEST_F(HandFlight, BoostKeepsTheSpeedOfItsStartAndIgnoresThrottle) {
    racer.speed = 1.5f;
    const race::RaceEvents first = race.Step(1, Boost(true));
    EXPECT_TRUE(Has(first, EventKind::BoostStart, 0));
    EXPECT_TRUE(first.fx[0].burstSpark && first.fx[0].boostSpark);
    const race::RaceEvents held = race.Step(59, Boost(true));
    EXPECT_FALSE(held.Has(EventKind::BoostStart)) << "one start a boost";
    EXPECT_FALSE(held.fx[0].burstSpark);
    EXPECT_TRUE(held.fx[0].boostSpark);
    EXPECT_EQ(racer.speed, 1.5f);
    EXPECT_EQ(racer.boostTimer, 0.0f);
    EXPECT_TRUE(racer.boosting);
    const race::RaceEvents released = race.Step(1, Throttle());
    EXPECT_TRUE(Has(released, EventKind::BoostStop, 0));
    EXPECT_FALSE(racer.boosting);
    EXPECT_FLOAT_EQ(racer.speed, 1.51f);
    EXPECT_FALSE(race.Step(1, Throttle()).Has(EventKind::BoostStop));
}

TEST_F(HandFlight, BoostDuringABurstDoesNotRestartIt) {
    racer.speed = 1.0f;
    race.Step(1, Boost());
    EXPECT_TRUE(racer.boosting);
    EXPECT_EQ(racer.boostTimer, 29.0f);

    race.Step(1);
    EXPECT_FALSE(racer.boosting);
    EXPECT_EQ(racer.boostTimer, 28.0f); // the burst keeps counting down

    EXPECT_FALSE(race.Step(1, Boost()).Has(EventKind::BoostStart));
    EXPECT_FALSE(racer.boosting);
    EXPECT_EQ(racer.boostTimer, 27.0f);

    race.Step(27);
    EXPECT_EQ(racer.boostTimer, 0.0f);
    EXPECT_TRUE(race.Step(1, Boost()).Has(EventKind::BoostStart));
    EXPECT_TRUE(racer.boosting);
    EXPECT_EQ(racer.boostTimer, 29.0f);
}

TEST_F(HandFlight, BurstTurnsHarderThanNormalFlight) {
    racer.speed = 2.0f;
    race.Step(30, Turn(1.0f, true)); // the burst: 0.03 an update
    EXPECT_NEAR(racer.yawRate, 0.9f, 1e-4f);
    race.Step(10, Turn(1.0f, true)); // the held boost: 0.01 an update
    EXPECT_NEAR(racer.yawRate, 1.0f, 1e-4f);
    race.Step(200, Turn(1.0f, true));
    EXPECT_FLOAT_EQ(racer.yawRate, 2.0f);
}

TEST_F(HandFlight, FrozenRacerStaysOnTheGridWhileThrottleRevsAndSheds) {
    racer.frozen = true;
    Controls revving = Turn(1.0f);
    revving.throttle = true;
    for (int i = 0; i < 10; ++i) {
        const race::RaceEvents events = race.Step(1, revving);
        // the big throttle spark shows on every update while frozen
        EXPECT_TRUE(events.fx[0].throttleBigSpark) << i;
    }
    EXPECT_EQ(racer.Position(), (D3DXVECTOR3{0.0f, 50.0f, 0.0f}));
    EXPECT_EQ(racer.yaw, 0.0f);
    EXPECT_GT(racer.speed, 0.04f);
}

TEST_F(HandFlight, DrawnBodyLeansIntoTurnsAndCarriesTheBroomTail) {
    racer.speed = 2.2f;
    racer.yawRate = 0.8f;
    race::OrientAndMove(racer, 0.6f);
    // roll of −20 degrees about the racer's own Z, so its up axis tips to the right (+X)
    EXPECT_NEAR(racer.drawMatrix._21, std::sin(20.0f * kDegToRad), 1e-3f);
    const D3DXVECTOR3 tail = racer.broomTail - racer.Position();
    EXPECT_NEAR(D3DXVec3Length(&tail), std::sqrt(1.0f + 1.44f), 1e-4f);
}

// Handing a boosting racer to the automatic pilot ends the boost: by the pilot toggle, or by
// finishing (the boost sound and sparks stop on BoostStop).
TEST_F(HandFlight, PilotToggleEndsABoost) {
    racer.speed = 1.5f;
    race.Step(1, Boost());
    ASSERT_TRUE(racer.boosting);
    Controls toggle = Boost();
    toggle.togglePilot = true;
    const race::RaceEvents events = race.Step(1, toggle);
    ASSERT_EQ(racer.autoPilot, 1);
    EXPECT_FALSE(racer.boosting);
    EXPECT_TRUE(Has(events, EventKind::BoostStop, 0));
}

TEST_F(HandFlight, FinishingWhileBoostingEndsTheBoostOnTheFirstUpdateOnThePilot) {
    racer.speed = 1.5f;
    race.Step(1, Boost());
    TestRace::Place(racer, {0.0f, 49.0f, 5000.0f}, 0.0f); // inside the only checkpoint
    const race::RaceEvents finish = race.Step(1, Boost());
    ASSERT_TRUE(racer.finished);
    EXPECT_TRUE(Has(finish, EventKind::Finish, 0));
    const race::RaceEvents next = race.Step(1, Boost());
    EXPECT_FALSE(racer.boosting);
    EXPECT_TRUE(Has(next, EventKind::BoostStop, 0));
}

// ---- the automatic pilot ----

class AutoFlight : public ::testing::Test {
protected:
    TestRace race;
};

TEST_F(AutoFlight, WaitsOutItsStartDelayThenOpensTheThrottle) {
    race.AddCheckPoint({0.0f, 50.0f, 500.0f}, 10.0f);
    race.AddCheckPoint({0.0f, 50.0f, 1000.0f}, 10.0f);
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer.startDelay = 3;
    race.Step(3);
    EXPECT_EQ(racer.speed, 0.0f);
    EXPECT_EQ(race.Step().fx[0].throttleChance, 26); // (2.2 + 0.5 - 0.01) * 10, rounded down
    EXPECT_FLOAT_EQ(racer.speed, 0.01f);
}

TEST_F(AutoFlight, NeverBoostsAndDoesNotCountTheBurstDown) {
    race.AddCheckPoint({0.0f, 50.0f, 500.0f}, 10.0f);
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer.boostTimer = 12.0f;
    racer.boosting = true; // as if handed over mid-boost
    racer.yawRate = 1.0f;
    const race::RaceEvents events = race.Step();
    EXPECT_FALSE(racer.boosting);
    EXPECT_EQ(racer.boostTimer, 12.0f);
    EXPECT_TRUE(Has(events, EventKind::BoostStop, 0));
    EXPECT_FALSE(events.fx[0].handFlown);
}

TEST_F(AutoFlight, TurnsTowardsACheckPointOnItsRightAndFliesThrough) {
    race.AddCheckPoint({300.0f, 50.0f, 300.0f}, 15.0f);
    race.AddCheckPoint({300.0f, 50.0f, 1300.0f}, 15.0f);
    race::RacerState& racer = race.AddRacer(-1, {0.0f, 50.0f, 0.0f}, 0.0f);
    race.Step();
    EXPECT_TRUE(racer.rightInput);
    EXPECT_FALSE(racer.leftInput);
    race::RaceEvents events;
    for (int update = 0; racer.nextCheckPoint == 0 && update < 2000; ++update) events = race.Step();
    EXPECT_EQ(racer.nextCheckPoint, 1);
    EXPECT_EQ(racer.celebration, 50);
    ASSERT_EQ(events.count, 1u);
    EXPECT_EQ(events.list[0].kind, EventKind::CheckPointPassed);
    EXPECT_EQ(events.list[0].value, 0);
    EXPECT_FALSE(events.list[0].byHand);
}

} // namespace
