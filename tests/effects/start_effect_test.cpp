// The start marker: three circles lit one by one, in step with the race's countdown, then the
// grow-and-fade; the marker itself plays nothing (the race reports the beeps).
#include <gtest/gtest.h>

#include <vector>

#include "effects/effect_test_util.h"
#include "effects/start_effect.h"
#include "race/step.h"

namespace {

class StartEffectTest : public effecttest::EffectTest {
protected:
    void SetUp() override {
        EffectTest::SetUp();
        for (const char* name : {"push", "go"}) {
            maptest::WriteFile(std::string("data/Sound/") + name + ".wav", effecttest::ShortWave());
        }
        SoundManager::ResetInstance();
        SoundManager::Instance().Init();
        SoundManager::Instance().TakePlayedNames();
        marker = static_cast<StartEffect*>(New("starteffect"));
    }
    void TearDown() override {
        SoundManager::Instance().Release();
        SoundManager::ResetInstance();
        EffectTest::TearDown();
    }
    // As the game scene starts it: turned 270 degrees, placed, initialised again, counting.
    void Start() {
        marker->rotation = MatrixRotationY(4.712389f);
        marker->SetPosition(MatrixTranslation(745, 55, -1020));
        marker->Init();
        marker->fading = true;
    }

    StartEffect* marker = nullptr;
};

TEST_F(StartEffectTest, SecondInitGivesTheCirclesTheirBaseSpinAndPlaces) {
    for (const StartMCircle& circle : marker->circles) EXPECT_EQ(circle.baseSpin, 0.0f);
    Start();
    for (const StartMCircle& circle : marker->circles) {
        EXPECT_EQ(circle.baseSpin, 2.0f);
        EXPECT_EQ(circle.red, 255);
        EXPECT_EQ(circle.halfWidth, 1.5f);
        EXPECT_EQ(circle.name, "magiccircle");
    }
    // Facing -X, the effect's own X axis runs along +Z: the circles stand 3 apart along -Z.
    D3DXVECTOR3 left = MatrixPosition(marker->circles[0].position);
    D3DXVECTOR3 right = MatrixPosition(marker->circles[2].position);
    EXPECT_NEAR(left.z, -1023.0f, 1e-3f);
    EXPECT_NEAR(right.z, -1017.0f, 1e-3f);
    EXPECT_EQ(MatrixPosition(marker->circles[1].position), D3DXVECTOR3(745, 55, -1020));
    EXPECT_EQ(marker->lit, 0);
}

TEST_F(StartEffectTest, LightsTurnGreenOnUpdates52_104_156LikeTheRacesCountdown) {
    Start();
    std::vector<int> green;
    for (int frame = 1; frame <= 400; ++frame) {
        const std::int32_t lit = marker->lit;
        manager.UpdateAll();
        if (marker->lit != lit) green.push_back(frame);
        if (frame == 100) {
            EXPECT_EQ(marker->circles[1].params[BaseEffect::kSpin], 5.0f); // the circle being lit turns faster
        }
    }
    const std::vector<int> expected = {static_cast<int>(race::kCountdownLightUpdates),
                                       static_cast<int>(2 * race::kCountdownLightUpdates),
                                       static_cast<int>(3 * race::kCountdownLightUpdates)};
    EXPECT_EQ(green, expected);
    EXPECT_TRUE(SoundManager::Instance().TakePlayedNames().empty());
    EXPECT_EQ(marker->lit, 3);
    EXPECT_FALSE(marker->fading);
    for (const StartMCircle& circle : marker->circles) {
        EXPECT_EQ(circle.alpha, 0);
        EXPECT_FALSE(circle.fading);
        EXPECT_EQ(circle.params[BaseEffect::kSpin], 2.0f);
        EXPECT_NEAR(circle.halfWidth, 1.5f * std::pow(1.01f, 51.0f), 1e-3f);
    }
    EXPECT_FALSE(marker->dead);
}

TEST_F(StartEffectTest, WithoutTheCountdownTheCirclesStayRedAndQuiet) {
    Start();
    marker->fading = false;
    for (int frame = 1; frame <= 300; ++frame) manager.UpdateAll();
    EXPECT_TRUE(SoundManager::Instance().TakePlayedNames().empty());
    for (const StartMCircle& circle : marker->circles) {
        EXPECT_EQ(circle.red, 255);
        EXPECT_EQ(circle.green, 0);
        EXPECT_EQ(circle.params[BaseEffect::kSpin], 2.0f);
    }
}

} // namespace
