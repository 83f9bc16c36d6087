// The flight step: coasting, turning, pitch, throttle, boost, frozen racers, the circle and the camera delay.
#include <gtest/gtest.h>

#include <algorithm>

#include "effects/base_effect.h"
#include "platform/audio/audio_device.h"
#include "player/race_world.h"
#include "sound/sound_manager.h"

namespace {

using platform::input::SetKeyDown;

class KeyboardFlight : public ::testing::Test {
protected:
    void SetUp() override {
        // far away, so that no frame passes it
        world.AddCheckPoint({0.0f, 50.0f, 5000.0f}, 10.0f);
        racer = world.AddRacer(0, {0.0f, 50.0f, 0.0f}, 0.0f);
    }

    void Frames(int count) {
        for (int i = 0; i < count; ++i) racer->Update();
    }

    RaceWorld world;
    std::shared_ptr<Player> racer;
};

TEST_F(KeyboardFlight, CoastsAndSettlesWithNoKeyHeld) {
    racer->speed = 1.0f;
    racer->yawRate = 0.5f;
    racer->pitch = 10.0f;
    Frames(1);
    EXPECT_FLOAT_EQ(racer->speed, 0.992f);
    EXPECT_FLOAT_EQ(racer->yawRate, 0.475f);
    EXPECT_FLOAT_EQ(racer->pitch, 9.75f);
    EXPECT_FLOAT_EQ(racer->yaw, 0.475f);
}

TEST_F(KeyboardFlight, HangsInTheAirWithoutSpeed) {
    Frames(50);
    EXPECT_EQ(racer->Position(), (D3DXVECTOR3{0.0f, 50.0f, 0.0f}));
}

TEST_F(KeyboardFlight, YawWrapsToZeroPast360AndTo360BelowZero) {
    racer->yaw = 359.8f;
    racer->yawRate = 0.5f;
    SetKeyDown(VK_RIGHT, true);
    Frames(1);
    EXPECT_EQ(racer->yaw, 0.0f);

    SetKeyDown(VK_RIGHT, false);
    SetKeyDown(VK_LEFT, true);
    racer->yaw = 0.2f;
    racer->yawRate = -0.5f;
    Frames(1);
    EXPECT_EQ(racer->yaw, 360.0f);
}

TEST_F(KeyboardFlight, TurnRateIsCappedInNormalFlight) {
    SetKeyDown(VK_RIGHT, true);
    Frames(100);
    EXPECT_FLOAT_EQ(racer->yawRate, 0.8f);
}

TEST_F(KeyboardFlight, RightWinsOverLeftAndUpOverDown) {
    racer->speed = 2.2f;
    SetKeyDown(VK_RIGHT, true);
    SetKeyDown(VK_LEFT, true);
    SetKeyDown(VK_UP, true);
    SetKeyDown(VK_DOWN, true);
    racer->speed = 2.2f;
    Frames(1);
    EXPECT_FLOAT_EQ(racer->yawRate, 0.03f);
    // Up with the initial pitch sign −1 raises the nose; the rate then decays by 0.95
    EXPECT_FLOAT_EQ(racer->pitch, 0.03f);
    EXPECT_FLOAT_EQ(racer->pitchRate, 0.03f * 0.95f);
}

TEST_F(KeyboardFlight, RInvertsUpAndDownOncePerPress) {
    racer->speed = 2.2f;
    SetKeyDown(0x52, true);
    Frames(3);
    EXPECT_EQ(racer->pitchSign, 1);
    SetKeyDown(0x52, false);
    Frames(1);
    SetKeyDown(0x52, true);
    Frames(1);
    EXPECT_EQ(racer->pitchSign, -1);
}

TEST_F(KeyboardFlight, NoseCannotRiseFromStandstill) {
    SetKeyDown(VK_UP, true);
    Frames(20);
    EXPECT_EQ(racer->pitch, 0.0f);
}

TEST_F(KeyboardFlight, SteeringHalvesTheThrottleGainButUpDoesNot) {
    SetKeyDown(VK_SPACE, true);
    Frames(1);
    EXPECT_FLOAT_EQ(racer->speed, 0.01f);

    SetKeyDown(VK_LEFT, true);
    Frames(1);
    EXPECT_FLOAT_EQ(racer->speed, 0.015f);
    SetKeyDown(VK_LEFT, false);

    SetKeyDown(VK_DOWN, true);
    Frames(1);
    EXPECT_FLOAT_EQ(racer->speed, 0.02f);
    SetKeyDown(VK_DOWN, false);

    SetKeyDown(VK_UP, true);
    Frames(1);
    EXPECT_FLOAT_EQ(racer->speed, 0.03f);
}

TEST_F(KeyboardFlight, ThrottleFliesAlongTheHeadingUpToMaxSpeed) {
    RaceWorld::Place(*racer, {0.0f, 50.0f, 0.0f}, 90.0f); // facing +X
    SetKeyDown(VK_SPACE, true);
    Frames(300);
    EXPECT_FLOAT_EQ(racer->speed, 2.2f);
    const D3DXVECTOR3 p = racer->Position();
    EXPECT_GT(p.x, 300.0f);
    EXPECT_NEAR(p.z, 0.0f, 1e-3f);
    EXPECT_NEAR(p.y, 50.0f, 1e-3f);
    EXPECT_NEAR(D3DXVec3Length(&racer->velocity), 2.2f, 1e-4f);
}

TEST_F(KeyboardFlight, BoostFromStandstillGivesNoMotion) {
    SetKeyDown(VK_SHIFT, true);
    SetKeyDown(VK_SPACE, true);
    Frames(10);
    EXPECT_TRUE(racer->boosting);
    EXPECT_EQ(racer->speed, 0.0f);
    EXPECT_EQ(racer->velocity, (D3DXVECTOR3{0, 0, 0}));
    EXPECT_EQ(racer->Position(), (D3DXVECTOR3{0.0f, 50.0f, 0.0f}));
}

TEST_F(KeyboardFlight, BoostKeepsTheSpeedOfItsStartAndIgnoresThrottle) {
    racer->speed = 1.5f;
    SetKeyDown(VK_SHIFT, true);
    SetKeyDown(VK_SPACE, true);
    Frames(60);
    EXPECT_EQ(racer->speed, 1.5f);
    EXPECT_EQ(racer->boostTimer, 0.0f);
    EXPECT_TRUE(racer->boosting);
    SetKeyDown(VK_SHIFT, false);
    Frames(1);
    EXPECT_FALSE(racer->boosting);
    EXPECT_FLOAT_EQ(racer->speed, 1.51f);
}

TEST_F(KeyboardFlight, ShiftDuringABurstDoesNotRestartIt) {
    racer->speed = 1.0f;
    SetKeyDown(VK_SHIFT, true);
    Frames(1);
    EXPECT_TRUE(racer->boosting);
    EXPECT_EQ(racer->boostTimer, 29.0f);

    SetKeyDown(VK_SHIFT, false);
    Frames(1);
    EXPECT_FALSE(racer->boosting);
    EXPECT_EQ(racer->boostTimer, 28.0f); // the burst keeps counting down

    SetKeyDown(VK_SHIFT, true);
    Frames(1);
    EXPECT_FALSE(racer->boosting);
    EXPECT_EQ(racer->boostTimer, 27.0f);

    SetKeyDown(VK_SHIFT, false);
    Frames(27);
    EXPECT_EQ(racer->boostTimer, 0.0f);
    SetKeyDown(VK_SHIFT, true);
    Frames(1);
    EXPECT_TRUE(racer->boosting);
    EXPECT_EQ(racer->boostTimer, 29.0f);
}

TEST_F(KeyboardFlight, BurstTurnsHarderThanNormalFlight) {
    racer->speed = 2.0f;
    SetKeyDown(VK_SHIFT, true);
    SetKeyDown(VK_RIGHT, true);
    Frames(30); // the burst: 0.03 a frame
    EXPECT_NEAR(racer->yawRate, 0.9f, 1e-4f);
    Frames(10); // the held boost: 0.01 a frame
    EXPECT_NEAR(racer->yawRate, 1.0f, 1e-4f);
    Frames(200);
    EXPECT_FLOAT_EQ(racer->yawRate, 2.0f);
}

TEST_F(KeyboardFlight, FrozenRacerStaysOnTheGridWhileThrottleRevsAndSheds) {
    racer->frozen = true;
    SetKeyDown(VK_SPACE, true);
    SetKeyDown(VK_RIGHT, true);
    SetKeyDown(VK_SHIFT, false);
    Frames(10);
    EXPECT_EQ(racer->Position(), (D3DXVECTOR3{0.0f, 50.0f, 0.0f}));
    EXPECT_EQ(racer->yaw, 0.0f);
    EXPECT_GT(racer->speed, 0.04f);
    // the big throttle spark shows on every frame while frozen
    EXPECT_GE(EffectManager::Instance().LiveCount(), 10u);
}

TEST_F(KeyboardFlight, DrawnBodyLeansIntoTurnsAndCarriesTheBroomTail) {
    racer->speed = 2.2f;
    racer->yawRate = 0.8f;
    racer->OrientAndMove(0.6f);
    // roll of −20 degrees about the racer's own Z, so its up axis tips to the right (+X)
    EXPECT_NEAR(racer->drawMatrix._21, std::sin(20.0f * kDegToRad), 1e-3f);
    const D3DXVECTOR3 tail = racer->broomTail - racer->Position();
    EXPECT_NEAR(D3DXVec3Length(&tail), std::sqrt(1.0f + 1.44f), 1e-4f);
}

TEST(KeyboardCircle, SpinsWithSpeedTurnsYellowWhenBoostingAndRedAfterACheckPoint) {
    RaceWorld world;
    world.AddCheckPoint({0.0f, 50.0f, 5000.0f}, 10.0f);
    auto racer = world.AddRacer(0, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer->circle = EffectManager::Instance().Create("pmcircle");
    ASSERT_NE(racer->circle, nullptr);

    racer->speed = 1.1f / 0.992f;
    racer->Update();
    EXPECT_FLOAT_EQ(racer->circle->params[9], 3.0f);
    EXPECT_EQ(racer->circle->targetBlue, 255);
    EXPECT_TRUE(racer->circle->fading);

    SetKeyDown(VK_SHIFT, true);
    racer->Update();
    EXPECT_EQ(racer->circle->params[9], 10.0f);
    EXPECT_EQ(racer->circle->targetRed, 200);
    EXPECT_EQ(racer->circle->targetBlue, 50);

    racer->celebration = 50;
    racer->Update();
    EXPECT_EQ(racer->circle->params[9], 15.0f);
    EXPECT_EQ(racer->circle->targetGreen, 0);
    EXPECT_EQ(racer->celebration, 48); // boosting runs it down two a frame
}

TEST(CameraStep, LooksFourteenFramesBackFromTheCurrentPosition) {
    RaceWorld world;
    world.AddCheckPoint({0.0f, 50.0f, 5000.0f}, 10.0f);
    auto racer = world.AddRacer(0, {0.0f, 50.0f, 0.0f}, 0.0f);
    std::vector<D3DXMATRIX> orientations;
    for (int frame = 0; frame < 20; ++frame) {
        racer->yaw = static_cast<float>(frame) * 3.0f;
        racer->speed = 1.0f;
        racer->OrientAndMove(0.6f);
        orientations.push_back(racer->orientation);
        racer->CameraStep();
    }
    const D3DXMATRIX& delayed = orientations[20 - 15];
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) EXPECT_FLOAT_EQ(racer->cameraMatrix(row, col), delayed(row, col));
    EXPECT_EQ(MatrixPosition(racer->cameraMatrix), racer->Position());
    EXPECT_EQ(MatrixPosition(MapManager::Instance().cameraRotation), (D3DXVECTOR3{0, 0, 0}));
    EXPECT_FLOAT_EQ(MapManager::Instance().cameraRotation._11, delayed._11);
}

class AutomaticFlight : public ::testing::Test {
protected:
    RaceWorld world;
};

TEST_F(AutomaticFlight, WaitsOutItsStartDelayThenOpensTheThrottle) {
    world.AddCheckPoint({0.0f, 50.0f, 500.0f}, 10.0f);
    world.AddCheckPoint({0.0f, 50.0f, 1000.0f}, 10.0f);
    auto racer = world.AddRacer(1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer->startDelay = 3;
    for (int i = 0; i < 3; ++i) racer->Update();
    EXPECT_EQ(racer->speed, 0.0f);
    racer->Update();
    EXPECT_FLOAT_EQ(racer->speed, 0.01f);
}

TEST_F(AutomaticFlight, NeverBoostsAndDoesNotCountTheBurstDown) {
    world.AddCheckPoint({0.0f, 50.0f, 500.0f}, 10.0f);
    auto racer = world.AddRacer(1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer->boostTimer = 12.0f;
    racer->boosting = true; // as if handed over mid-boost
    racer->yawRate = 1.0f;
    racer->Update();
    EXPECT_FALSE(racer->boosting);
    EXPECT_EQ(racer->boostTimer, 12.0f);
}

TEST_F(AutomaticFlight, TurnsTowardsACheckPointOnItsRightAndFliesThrough) {
    world.AddCheckPoint({300.0f, 50.0f, 300.0f}, 15.0f);
    world.AddCheckPoint({300.0f, 50.0f, 1300.0f}, 15.0f);
    auto racer = world.AddRacer(1, {0.0f, 50.0f, 0.0f}, 0.0f);
    racer->Update();
    EXPECT_TRUE(racer->rightInput);
    EXPECT_FALSE(racer->leftInput);
    int frames = 0;
    while (racer->nextCheckPoint == 0 && frames < 2000) {
        racer->Update();
        ++frames;
    }
    EXPECT_EQ(racer->nextCheckPoint, 1);
    EXPECT_EQ(racer->celebration, 50);
}

// The looping boost sound stops wherever the boost ends, also when the automatic pilot ends it.
class BoostSound : public KeyboardFlight {
protected:
    void SetUp() override {
        KeyboardFlight::SetUp();
        platform::audio::ForceLoopback(true);
        SoundManager::Instance().Init(); // the game's own sounds
        if (!SoundManager::Instance().HasSound("fly")) GTEST_SKIP() << "no generated boost sound";
        racer->speed = 1.5f;
        SetKeyDown(VK_SHIFT, true);
        Frames(1);
        ASSERT_TRUE(racer->boosting);
        ASSERT_TRUE(Flying());
    }
    void TearDown() override { SoundManager::ResetInstance(); }

    static bool Flying() {
        const auto names = SoundManager::Instance().PlayingNames();
        return std::find(names.begin(), names.end(), "fly") != names.end();
    }
};

TEST_F(BoostSound, StopsWhenCHandsTheBoostingRacerToTheAutomaticPilot) {
    SetKeyDown('C', true);
    PlayerManager::Instance().Update();
    ASSERT_EQ(racer->autoPilot, 1);
    EXPECT_FALSE(racer->boosting);
    EXPECT_FALSE(Flying());
}

TEST_F(BoostSound, StopsWhenTheRacerFinishesWhileBoosting) {
    RaceWorld::Place(*racer, {0.0f, 49.0f, 5000.0f}, 0.0f); // inside the only checkpoint
    Frames(1);
    ASSERT_TRUE(racer->finished);
    Frames(1); // the first frame on the automatic pilot
    EXPECT_FALSE(racer->boosting);
    EXPECT_FALSE(Flying());
}

} // namespace
