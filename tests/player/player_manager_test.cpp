// The racers as the screen shows them: one view per racer with its effects, the circle under a
// person's racer following each update, and the follow camera a few updates behind.
#include <gtest/gtest.h>

#include <vector>

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "player/player_manager.h"
#include "scenes/camera.h"
#include "support/race_fixture.h"
#include "support/singletons.h"

namespace {

class Views : public ::testing::Test {
protected:
    Views() { testsupport::ResetSingletons(); }
    ~Views() override { testsupport::ResetSingletons(); }
};

TEST_F(Views, FiveRacersWithThePersonsRacerFirst) {
    const race::RaceState race = race::NewRace(race::Course{}, race::Grid{}, Difficulty::Normal, 1);
    PlayerManager& manager = PlayerManager::Instance();
    manager.Create(race);
    ASSERT_EQ(manager.players.size(), 5u);
    EXPECT_EQ(manager.OfSeat(0), manager.players[0].get());

    const EffectManager& effects = EffectManager::Instance();
    const Player& person = *manager.players[0];
    ASSERT_NE(effects.Get(person.arrow), nullptr);
    ASSERT_NE(effects.Get(person.circle), nullptr);
    EXPECT_FALSE(person.trail);
    EXPECT_EQ(effects.Get(person.circle)->params[9], 1.0f);
    EXPECT_EQ(effects.Get(person.arrow)->owner, &person);

    for (std::size_t i = 1; i < 5; ++i) {
        const Player& rival = *manager.players[i];
        EXPECT_FALSE(rival.arrow);
        EXPECT_FALSE(rival.circle);
        ASSERT_NE(effects.Get(rival.trail), nullptr);
        EXPECT_EQ(effects.Get(rival.trail)->owner, &rival);
    }
    // the trail stores each colour channel 100 below the one given: (100, 0, 100, 255) for racer 2
    const BaseEffect& trail = *effects.Get(manager.players[1]->trail);
    EXPECT_EQ(trail.alpha, 0);
    EXPECT_EQ(trail.red, -100);
    EXPECT_EQ(trail.green, 0);
    EXPECT_EQ(trail.blue, 155);

    manager.Clear();
    EXPECT_TRUE(manager.players.empty());
    EXPECT_EQ(manager.OfSeat(0), nullptr);
}

TEST_F(Views, CircleSpinsWithSpeedTurnsYellowWhenBoostingAndRedAfterACheckPoint) {
    racetest::TestRace race;
    race.AddCheckPoint({0.0f, 50.0f, 5000.0f}, 10.0f);
    race::RacerState& racer = race.AddRacer(0, {0.0f, 50.0f, 0.0f}, 0.0f);
    PlayerManager& manager = PlayerManager::Instance();
    manager.Create(race.state);
    const BaseEffect* circle = EffectManager::Instance().Get(manager.players[0]->circle);
    ASSERT_NE(circle, nullptr);
    auto update = [&](const race::Controls& controls) { manager.Follow(race.state, race.Step(1, controls)); };

    racer.speed = 1.1f / 0.992f;
    update({});
    EXPECT_EQ(manager.players[0]->racer.speed, racer.speed);
    EXPECT_FLOAT_EQ(circle->params[9], 3.0f);
    EXPECT_EQ(circle->targetBlue, 255);
    EXPECT_TRUE(circle->fading);

    race::Controls boost;
    boost.boost = true;
    update(boost);
    EXPECT_EQ(circle->params[9], 10.0f);
    EXPECT_EQ(circle->targetRed, 200);
    EXPECT_EQ(circle->targetBlue, 50);

    racer.celebration = 50;
    update(boost);
    EXPECT_EQ(circle->params[9], 15.0f);
    EXPECT_EQ(circle->targetGreen, 0);
    EXPECT_EQ(racer.celebration, 48); // boosting runs it down two an update
}

TEST(FollowCamera, StartsBehindTheGridAndLooksFourteenUpdatesBack) {
    race::RaceState race = race::NewRace(race::Course{}, race::Grid{}, Difficulty::Normal, 1);
    race::RacerState& racer = race.racers[0];
    Camera camera;
    camera.Place(racer);
    EXPECT_EQ(MatrixPosition(camera.cameraMatrix), racer.Position());
    EXPECT_FLOAT_EQ(camera.cameraMatrix._31, racer.yawMatrix._31);
    EXPECT_EQ(camera.Rotation(), racer.yawMatrix);

    std::vector<D3DXMATRIX> orientations;
    for (int update = 0; update < 20; ++update) {
        racer.yaw = static_cast<float>(update) * 3.0f;
        racer.speed = 1.0f;
        racer.frozen = false;
        race::OrientAndMove(racer, 0.6f);
        orientations.push_back(racer.orientation);
        camera.Step(racer);
    }
    const D3DXMATRIX& delayed = orientations[20 - 15];
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) EXPECT_FLOAT_EQ(camera.cameraMatrix(row, col), delayed(row, col));
    EXPECT_EQ(MatrixPosition(camera.cameraMatrix), racer.Position());
    EXPECT_EQ(MatrixPosition(camera.Rotation()), (D3DXVECTOR3{0, 0, 0}));
    EXPECT_FLOAT_EQ(camera.Rotation()._11, delayed._11);
}

} // namespace
