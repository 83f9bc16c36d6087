// The roster, the start grid, the C key, the per-frame drive and the keyboard racer's rank.
#include <gtest/gtest.h>

#include "effects/base_effect.h"
#include "player/race_world.h"

namespace {

using platform::input::SetKeyDown;
constexpr int kKeyC = 0x43;

TEST(Roster, FiveRacersWithTheKeyboardRacerFirst) {
    RaceWorld world;
    PlayerManager& manager = PlayerManager::Instance();
    manager.Create(Difficulty::Normal);
    ASSERT_EQ(manager.players.size(), 5u);
    EXPECT_EQ(manager.user.lock(), manager.players[0]);
    EXPECT_EQ(manager.rank, 1);

    const Player& keyboard = *manager.players[0];
    EXPECT_EQ(keyboard.autoPilot, 0);
    ASSERT_NE(keyboard.arrow, nullptr);
    ASSERT_NE(keyboard.circle, nullptr);
    EXPECT_EQ(keyboard.trail, nullptr);
    EXPECT_EQ(keyboard.circle->params[9], 1.0f);
    EXPECT_EQ(keyboard.arrow->owner, &keyboard);

    for (std::size_t i = 1; i < 5; ++i) {
        const Player& rival = *manager.players[i];
        EXPECT_EQ(rival.autoPilot, 1);
        EXPECT_EQ(rival.arrow, nullptr);
        ASSERT_NE(rival.trail, nullptr);
        EXPECT_EQ(rival.trail->owner, &rival);
        EXPECT_GE(rival.startDelay, 0);
        EXPECT_LT(rival.startDelay, 200);
        EXPECT_TRUE(rival.frozen);
    }
    // the trail stores each colour channel 100 below the one given: (100, 0, 100, 255) for racer 2
    const BaseEffect& trail = *manager.players[1]->trail;
    EXPECT_EQ(trail.alpha, 0);
    EXPECT_EQ(trail.red, -100);
    EXPECT_EQ(trail.green, 0);
    EXPECT_EQ(trail.blue, 155);

    manager.Clear();
    EXPECT_TRUE(manager.players.empty());
    EXPECT_TRUE(manager.user.expired());
}

TEST(StartGrid, DiagonalLineForHeading270) {
    RaceWorld world;
    for (int i = 0; i < 5; ++i) world.AddRacer(i == 0 ? 0 : 1, {0, 0, 0}, 0.0f);
    PlayerManager& manager = PlayerManager::Instance();
    manager.PlaceAtStart(750.0f, 50.0f, -1020.0f, 270.0f);
    for (std::size_t i = 0; i < 5; ++i) {
        const D3DXVECTOR3 p = manager.players[i]->Position();
        const float n = static_cast<float>(i);
        EXPECT_NEAR(p.x, 750.0f - 0.5f * n, 1e-4f);
        EXPECT_NEAR(p.y, 50.0f, 1e-6f);
        EXPECT_NEAR(p.z, -1020.0f + 1.5f * n, 1e-4f);
        EXPECT_EQ(manager.players[i]->yaw, 270.0f);
    }
    const Player& keyboard = *manager.players[0];
    EXPECT_EQ(MatrixPosition(keyboard.cameraMatrix), keyboard.Position());
    EXPECT_FLOAT_EQ(keyboard.cameraMatrix._31, keyboard.yawMatrix._31);
    EXPECT_EQ(MapManager::Instance().cameraRotation, keyboard.yawMatrix);
}

TEST(StartGrid, RacersKeepTheirPlacesUntilTheStart) {
    RaceWorld world;
    world.AddCheckPoint({700.0f, 50.0f, -1020.0f}, 15.0f);
    PlayerManager& manager = PlayerManager::Instance();
    manager.Create(Difficulty::Normal);
    manager.PlaceAtStart(750.0f, 50.0f, -1020.0f, 270.0f);
    std::vector<D3DXVECTOR3> grid;
    for (const auto& racer : manager.players) grid.push_back(racer->Position());
    SetKeyDown(VK_SPACE, true);
    for (int frame = 0; frame < 60; ++frame) manager.Update();
    for (std::size_t i = 0; i < grid.size(); ++i) EXPECT_EQ(manager.players[i]->Position(), grid[i]) << i;

    manager.StartRace();
    for (int frame = 0; frame < 10; ++frame) manager.Update();
    EXPECT_NE(manager.players[0]->Position(), grid[0]);
}

TEST(AutoPilotKey, TogglesOncePerPress) {
    RaceWorld world;
    world.AddCheckPoint({0.0f, 50.0f, 500.0f}, 15.0f);
    auto keyboard = world.AddRacer(0, {0.0f, 50.0f, 0.0f}, 0.0f);
    PlayerManager& manager = PlayerManager::Instance();
    SetKeyDown(kKeyC, true);
    for (int i = 0; i < 5; ++i) manager.Update();
    EXPECT_EQ(keyboard->autoPilot, 1);
    SetKeyDown(kKeyC, false);
    manager.Update();
    EXPECT_EQ(keyboard->autoPilot, 1);
    SetKeyDown(kKeyC, true);
    manager.Update();
    EXPECT_EQ(keyboard->autoPilot, 0);
    SetKeyDown(kKeyC, false);
    manager.Update();
}

TEST(AutoPilotKey, APressHeldWhenARunEndedDoesNotSwallowTheNextRunsFirstPress) {
    for (int run = 0; run < 2; ++run) {
        RaceWorld world; // resets the singletons, the keys and the latches
        world.AddCheckPoint({0.0f, 50.0f, 500.0f}, 15.0f);
        auto keyboard = world.AddRacer(0, {0.0f, 50.0f, 0.0f}, 0.0f);
        SetKeyDown(kKeyC, true);
        PlayerManager::Instance().Update();
        EXPECT_EQ(keyboard->autoPilot, 1) << "run " << run;
    }
}

class Rank : public ::testing::Test {
protected:
    void SetUp() override {
        world.AddCheckPoint({0.0f, 50.0f, 1000.0f}, 15.0f);
        world.AddCheckPoint({0.0f, 50.0f, 2000.0f}, 15.0f);
        world.AddCheckPoint({0.0f, 50.0f, 3000.0f}, 15.0f);
        keyboard = world.AddRacer(0, {0, 50, 0}, 0.0f);
        for (int i = 0; i < 4; ++i) rivals.push_back(world.AddRacer(1, {0, 50, 0}, 0.0f));
        keyboard->nextCheckPoint = 1;
        keyboard->distanceToNext = 100.0f;
        for (auto& rival : rivals) {
            rival->nextCheckPoint = 1;
            rival->distanceToNext = 200.0f;
        }
    }

    std::int32_t RankNow() { return PlayerManager::Instance().ComputeRank(); }

    RaceWorld world;
    std::shared_ptr<Player> keyboard;
    std::vector<std::shared_ptr<Player>> rivals;
};

TEST_F(Rank, FirstWhenEveryoneIsBehind) { EXPECT_EQ(RankNow(), 1); }

TEST_F(Rank, HigherCheckPointOrShorterDistanceIsAheadButATieIsNot) {
    rivals[0]->nextCheckPoint = 2;
    rivals[0]->distanceToNext = 900.0f;
    rivals[1]->distanceToNext = 99.0f;
    rivals[2]->distanceToNext = 100.0f; // equal distance: not ahead
    EXPECT_EQ(RankNow(), 3);
}

TEST_F(Rank, FinishedRivalsAreAheadWhateverTheirCheckPoint) {
    rivals[3]->finished = true;
    rivals[3]->nextCheckPoint = 0;
    EXPECT_EQ(RankNow(), 2);
}

TEST_F(Rank, UpdateFreezesTheRankOnceTheKeyboardRacerHasFinished) {
    PlayerManager& manager = PlayerManager::Instance();
    for (auto& rival : rivals) RaceWorld::Place(*rival, {0.0f, 50.0f, 1500.0f}, 0.0f);
    for (auto& racer : manager.players) racer->frozen = true;
    manager.Update(); // the rivals are nearer checkpoint 1 now
    EXPECT_EQ(manager.rank, 5);
    keyboard->finished = true;
    for (auto& rival : rivals) RaceWorld::Place(*rival, {0.0f, 50.0f, -1500.0f}, 0.0f);
    manager.Update();
    EXPECT_EQ(manager.rank, 5);
}

} // namespace
