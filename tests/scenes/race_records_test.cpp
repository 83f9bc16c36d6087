// Around the race: splits and the finishing order, the texts that show them, Space to race again,
// and how much faster or slower the computer racers fly per difficulty.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/window/clock.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "player/difficulty.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "scenes/game.h"
#include "scenes/key_latches.h"
#include "scenes/race_results.h"
#include "scenes/result_board.h"
#include "simplelib/resource_cache.h"
#include "support/game_test_support.h"

namespace {

using platform::input::SetKeyDown;

std::vector<std::shared_ptr<Player>> Roster(std::size_t count) {
    std::vector<std::shared_ptr<Player>> racers;
    for (std::size_t i = 0; i < count; ++i) racers.push_back(std::make_shared<Player>());
    return racers;
}

TEST(RaceSplits, EachCheckpointGivesTheTimeSinceTheOneBeforeAndTheFinishUsesTheClock) {
    auto racers = Roster(2);
    RaceResults results;
    results.Observe(racers, 100, 100); // before "go": nothing counts
    EXPECT_EQ(results.Updates(), 0u);
    results.Start(racers.size());
    results.Observe(racers, 16, 16);
    racers[0]->nextCheckPoint = 1;
    results.Observe(racers, 2848, 2848);
    results.Observe(racers, 2864, 2864); // no passage: no split
    racers[0]->nextCheckPoint = 2;
    results.Observe(racers, 5376, 5376);
    RaceResults::Split last;
    ASSERT_TRUE(results.LastSplit(&last));
    EXPECT_EQ(last.index, 1u);
    EXPECT_EQ(last.splitMs, 2528u);
    EXPECT_EQ(last.passedAtMs, 5376u);

    // The last checkpoint wraps the target to 0 and finishes; the time is the clock's.
    racers[0]->nextCheckPoint = 0;
    racers[0]->finished = true;
    results.Observe(racers, 8210, 8200);
    EXPECT_EQ(results.Splits(), (std::vector<std::uint32_t>{2848, 2528, 2824}));
    EXPECT_EQ(results.KeyboardTimeMs(), 8200u);
    // Flying on after the finish adds nothing.
    racers[0]->nextCheckPoint = 1;
    results.Observe(racers, 9000, 8200);
    EXPECT_EQ(results.Splits().size(), 3u);
    EXPECT_EQ(results.Updates(), 6u);
}

TEST(RaceStandings, FinishedByTimeThenTheFlyingByTheirPlaceOnTheCourse) {
    auto racers = Roster(5);
    RaceResults results;
    results.Start(racers.size());
    racers[3]->finished = true;
    results.Observe(racers, 40000, 40000);
    racers[0]->finished = true;
    racers[2]->finished = true; // same update as the keyboard racer: roster order breaks the tie
    results.Observe(racers, 41000, 41000);
    racers[1]->nextCheckPoint = 14;
    racers[1]->distanceToNext = 50.0f;
    racers[4]->nextCheckPoint = 14;
    racers[4]->distanceToNext = 20.0f;
    const auto table = results.Standings(racers);
    ASSERT_EQ(table.size(), 5u);
    const std::size_t order[] = {3, 0, 2, 4, 1};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(table[k].racer, order[k]) << "place " << k + 1;
        EXPECT_EQ(table[k].place, static_cast<std::int32_t>(k + 1));
    }
    EXPECT_EQ(table[0].timeMs, 40000u);
    EXPECT_FALSE(table[3].finished);
}

TEST(RaceTexts, TimesAndSplitDeltasReadLikeTheClock) {
    EXPECT_EQ(FormatRaceTime(83456), "1:23.45");
    EXPECT_EQ(FormatRaceTime(41168), "0:41.16");
    EXPECT_EQ(FormatSplitDelta(2100, 2520), "\xE2\x88\x92"
                                            "0.42");
    EXPECT_EQ(FormatSplitDelta(3620, 2520), "+1.10");
    // a tie reads neither faster nor slower
    EXPECT_EQ(FormatSplitDelta(2520, 2520), "0.00");
    EXPECT_EQ(SplitColour(2520, 2520), 0xFFFFFFu);
    EXPECT_EQ(SplitColour(3620, 2520), 0xFF4040u);
}

class RaceScene : public RaceSceneTest {
protected:
    void SetUp() override {
        RaceSceneTest::SetUp();
        if (!HaveMap()) GTEST_SKIP() << "no generated course";
    }
    std::int32_t Step() {
        platform::clock::AdvanceFrame();
        return game->Update();
    }
    void Start(Difficulty level = Difficulty::Normal) {
        game.reset();
        // The racers' own parts of the world go with the scene; the loaded models stay cached.
        PlayerManager::ResetInstance();
        EffectManager::ResetInstance();
        game = std::make_unique<Game>();
        game->settings->values.difficulty = level;
        game->Init();
    }
};

TEST_F(RaceScene, SpaceOnTheResultScreenRacesAgainButAThrottleHeldOverTheLineDoesNot) {
    Start();
    SetKeyDown(VK_SPACE, true); // flying with the throttle down
    for (int i = 0; i < 200; ++i) ASSERT_EQ(Step(), 1);
    PlayerManager::Instance().user.lock()->finished = true;
    EXPECT_EQ(Step(), 1);
    ASSERT_TRUE(game->cleared);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Step(), 1) << "still held from the race";
    SetKeyDown(VK_SPACE, false);
    EXPECT_EQ(Step(), 1);
    SetKeyDown(VK_SPACE, true);
    EXPECT_EQ(Step(), SceneBase::kAgain);
    EXPECT_EQ(Step(), 1) << "once per press";
}

// Races until every computer racer has finished; the mean of their times in milliseconds.
double ComputerMeanMs(Game& game) {
    const auto& racers = PlayerManager::Instance().players;
    auto allIn = [&racers] {
        return std::all_of(racers.begin() + 1, racers.end(), [](const auto& r) { return r->finished; });
    };
    for (int update = 0; update < 6000 && !allIn(); ++update) {
        platform::clock::AdvanceFrame();
        game.Update();
    }
    EXPECT_TRUE(allIn());
    double sum = 0;
    for (const auto& row : game.results.Standings(racers))
        if (row.racer != 0) sum += row.timeMs;
    return sum / static_cast<double>(racers.size() - 1);
}

TEST_F(RaceScene, ComputerRacersAreSlowerOnEasyAndFasterOnHardForEverySeed) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
        double mean[3] = {};
        for (Difficulty level : {Difficulty::Easy, Difficulty::Normal, Difficulty::Hard}) {
            std::srand(seed);
            Start(level);
            mean[static_cast<int>(level)] = ComputerMeanMs(*game);
        }
        EXPECT_GT(mean[0], mean[1]) << "seed " << seed;
        EXPECT_LT(mean[2], mean[1]) << "seed " << seed;
    }
}

TEST(DifficultyLevels, NormalLeavesTheRacerAsItIsAndWordsRoundTrip) {
    Player racer;
    racer.startDelay = 123;
    ApplyDifficulty(Difficulty::Normal, racer);
    EXPECT_EQ(racer.maxSpeed, 2.2f);
    EXPECT_EQ(racer.acceleration, 0.01f);
    EXPECT_EQ(racer.turnRateLimit, 0.8f);
    EXPECT_EQ(racer.startDelay, 123);
    Difficulty level = Difficulty::Normal;
    for (Difficulty each : {Difficulty::Easy, Difficulty::Normal, Difficulty::Hard}) {
        ASSERT_TRUE(ParseDifficulty(DifficultyName(each), &level));
        EXPECT_EQ(level, each);
    }
    EXPECT_FALSE(ParseDifficulty("Hard", &level));
}

} // namespace
