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
#include "race/difficulty.h"
#include "records/save_folder.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "scenes/game.h"
#include "scenes/race_results.h"
#include "scenes/result_board.h"
#include "simplelib/resource_cache.h"
#include "support/game_test_support.h"

namespace {

using platform::input::SetKeyDown;

// A race of `count` racers, the first flown by seat 0, at race update `updates` with the clock on `clock`.
race::RaceState Race(std::uint8_t count) {
    race::RaceState state;
    state.racerCount = count;
    state.racers[0].seat = 0;
    return state;
}
void At(race::RaceState& state, std::uint32_t updates, std::uint32_t clock) {
    state.raceUpdates = updates;
    state.clockUpdates = clock;
}

TEST(RaceSplits, EachCheckpointGivesTheTimeSinceTheOneBeforeAndTheFinishUsesTheClock) {
    race::RaceState state = Race(2);
    RaceResults results;
    At(state, 6, 6);
    results.Observe(state, 0); // before "go": nothing counts
    EXPECT_EQ(results.Updates(), 0u);
    results.Start(state.racerCount);
    At(state, 1, 1);
    results.Observe(state, 0);
    state.racers[0].nextCheckPoint = 1;
    At(state, 178, 178);
    results.Observe(state, 0);
    At(state, 179, 179);
    results.Observe(state, 0); // no passage: no split
    state.racers[0].nextCheckPoint = 2;
    At(state, 336, 336);
    results.Observe(state, 0);
    RaceResults::Split last;
    ASSERT_TRUE(results.LastSplit(&last));
    EXPECT_EQ(last.index, 1u);
    EXPECT_EQ(last.splitMs, 2528u);
    EXPECT_EQ(last.passedAtMs, 5376u);

    // The last checkpoint wraps the target to 0 and finishes; the time is the clock's.
    state.racers[0].nextCheckPoint = 0;
    state.racers[0].finished = true;
    At(state, 513, 512);
    results.Observe(state, 0);
    EXPECT_EQ(results.Splits(), (std::vector<std::uint32_t>{2848, 2528, 2816}));
    EXPECT_EQ(results.KeyboardTimeMs(), 8192u);
    // Flying on after the finish adds nothing.
    state.racers[0].nextCheckPoint = 1;
    At(state, 560, 512);
    results.Observe(state, 0);
    EXPECT_EQ(results.Splits().size(), 3u);
    EXPECT_EQ(results.Updates(), 6u);
}

TEST(RaceStandings, FinishedByTimeThenTheFlyingByTheirPlaceOnTheCourse) {
    race::RaceState state = Race(5);
    RaceResults results;
    results.Start(state.racerCount);
    state.racers[3].finished = true;
    At(state, 2500, 2500);
    results.Observe(state, 0);
    state.racers[0].finished = true;
    state.racers[2].finished = true; // same update as the person's racer: grid order breaks the tie
    At(state, 2560, 2560);
    results.Observe(state, 0);
    state.racers[1].nextCheckPoint = 14;
    state.racers[1].distanceToNext = 50.0f;
    state.racers[4].nextCheckPoint = 14;
    state.racers[4].distanceToNext = 20.0f;
    const auto table = results.Standings(state);
    ASSERT_EQ(table.size(), 5u);
    const std::size_t order[] = {3, 0, 2, 4, 1};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(table[k].racer, order[k]) << "place " << k + 1;
        EXPECT_EQ(table[k].place, static_cast<std::int32_t>(k + 1));
    }
    EXPECT_EQ(table[0].timeMs, 40000u);
    EXPECT_EQ(table[1].timeMs, 40960u);
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
    void Start(std::uint64_t seed = 1, Difficulty level = Difficulty::Normal) {
        game.reset();
        // The racers' own parts of the world go with the scene; the loaded models stay cached.
        PlayerManager::ResetInstance();
        EffectManager::ResetInstance();
        seeds = RaceSeeds{seed, 0};
        game = std::make_unique<Game>();
        game->seeds = &seeds;
        game->settings->values.difficulty = level;
        game->Init();
    }
    RaceSeeds seeds;
};

TEST_F(RaceScene, SpaceOnTheResultScreenRacesAgainButAThrottleHeldOverTheLineDoesNot) {
    Start();
    SetKeyDown(VK_SPACE, true); // flying with the throttle down
    for (int i = 0; i < 200; ++i) ASSERT_EQ(Step(), 1);
    game->race.racers[static_cast<std::size_t>(game->Person())].finished = true;
    EXPECT_EQ(Step(), 1);
    ASSERT_TRUE(game->cleared);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Step(), 1) << "still held from the race";
    SetKeyDown(VK_SPACE, false);
    EXPECT_EQ(Step(), 1);
    SetKeyDown(VK_SPACE, true);
    EXPECT_EQ(Step(), SceneBase::kAgain);
    EXPECT_EQ(Step(), 1) << "once per press";
}

// Flies `updates` updates (holding the throttle, or on the automatic pilot from the first one),
// then puts the person over the line: the result screen is up after the next update.
void FlyAndFinish(Game& game, int updates, bool pilot) {
    if (pilot) SetKeyDown('C', true);
    SetKeyDown(VK_SPACE, true);
    for (int i = 0; i < updates; ++i) {
        platform::clock::AdvanceFrame();
        game.Update();
        SetKeyDown('C', false);
    }
    SetKeyDown(VK_SPACE, false);
    game.race.racers[static_cast<std::size_t>(game.Person())].finished = true;
    game.results.Observe(game.race, game.Person()); // as after the update that crossed the line
    platform::clock::AdvanceFrame();
    game.Update();
}

TEST_F(RaceScene, ARaceTheAutomaticPilotFlewSavesNothingAndOneFlownByHandDoes) {
    const std::filesystem::path saves = std::filesystem::temp_directory_path() / "orlenda_assisted_saves";
    std::filesystem::remove_all(saves);
    records::SetSaveFolder(saves.string());
    Start();
    FlyAndFinish(*game, 400, true);
    ASSERT_TRUE(game->cleared);
    EXPECT_TRUE(game->records.Assisted());
    EXPECT_FALSE(std::filesystem::exists(saves / "map2-normal.record"));
    EXPECT_FALSE(std::filesystem::exists(saves / "map2-normal.ghost"));
    Start();
    FlyAndFinish(*game, 400, false);
    EXPECT_FALSE(game->records.Assisted());
    EXPECT_TRUE(std::filesystem::exists(saves / "map2-normal.record"));
    records::SetSaveFolder("");
    std::filesystem::remove_all(saves);
}

// Records are single-player races: one flown by hand online keeps nothing, and the result says so.
TEST_F(RaceScene, AnOnlineRaceFlownByHandSavesNothingAndSaysSo) {
    const std::filesystem::path saves = std::filesystem::temp_directory_path() / "orlenda_online_saves";
    std::filesystem::remove_all(saves);
    records::SetSaveFolder(saves.string());
    Start();
    game->records.LoadOnline();
    FlyAndFinish(*game, 400, false);
    ASSERT_TRUE(game->cleared);
    EXPECT_FALSE(std::filesystem::exists(saves / "map2-normal.record"));
    EXPECT_FALSE(std::filesystem::exists(saves / "map2-normal.ghost"));
    EXPECT_STREQ(game->records.NothingSaved(), "ONLINE: nothing saved");
    records::SetSaveFolder("");
    std::filesystem::remove_all(saves);
}

TEST_F(RaceScene, ATimeTrialIsFlownAloneByHandAndAChampionshipRaceScoresEveryPlace) {
    game.reset();
    PlayerManager::ResetInstance();
    game = std::make_unique<Game>();
    game->session->mode = RaceMode::Trial;
    game->Init();
    ASSERT_EQ(game->race.racerCount, 1u);
    FlyAndFinish(*game, 300, true);
    EXPECT_EQ(game->race.racers[0].autoPilot, 0) << "C does nothing in a time trial";
    EXPECT_FALSE(game->records.Assisted());

    game.reset();
    PlayerManager::ResetInstance();
    EffectManager::ResetInstance();
    game = std::make_unique<Game>();
    game->session->mode = RaceMode::Championship;
    game->Init();
    ASSERT_EQ(game->race.racerCount, 5u);
    ASSERT_TRUE(game->rivals);
    EXPECT_EQ(game->labels[1].name, (*game->rivals)[0].name);
    FlyAndFinish(*game, 300, false);
    const Championship& championship = *game->session->championship;
    EXPECT_EQ(championship.raced, 1u);
    std::int32_t total = 0;
    for (std::int32_t points : championship.points) total += points;
    EXPECT_EQ(total, 10 + 6 + 4 + 3 + 2) << "every place scored once";
    EXPECT_EQ(championship.points[0], 10) << "the only racer over the line wins";
    SetKeyDown(VK_RETURN, true);
    platform::clock::AdvanceFrame();
    EXPECT_EQ(game->Update(), kStandingsScene);
    SetKeyDown(VK_RETURN, false);
}

// Races until every computer racer has finished; the mean of their times in milliseconds.
double ComputerMeanMs(Game& game) {
    const race::RaceState& state = game.race;
    auto allIn = [&state] {
        for (std::size_t i = 0; i < state.racerCount; ++i)
            if (state.racers[i].seat < 0 && !state.racers[i].finished) return false;
        return true;
    };
    for (int update = 0; update < 6000 && !allIn(); ++update) {
        platform::clock::AdvanceFrame();
        game.Update();
    }
    EXPECT_TRUE(allIn());
    double sum = 0;
    for (const auto& row : game.results.Standings(state))
        if (state.racers[row.racer].seat < 0) sum += row.timeMs;
    return sum / static_cast<double>(state.racerCount - 1);
}

TEST_F(RaceScene, ComputerRacersAreSlowerOnEasyAndFasterOnHardForEverySeed) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
        double mean[3] = {};
        for (Difficulty level : {Difficulty::Easy, Difficulty::Normal, Difficulty::Hard}) {
            Start(seed, level);
            mean[static_cast<int>(level)] = ComputerMeanMs(*game);
        }
        EXPECT_GT(mean[0], mean[1]) << "seed " << seed;
        EXPECT_LT(mean[2], mean[1]) << "seed " << seed;
    }
}

TEST(DifficultyLevels, NormalLeavesTheRacerAsItIsAndWordsRoundTrip) {
    race::RacerState racer;
    racer.startDelay = 123;
    race::ApplyDifficulty(Difficulty::Normal, racer);
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
