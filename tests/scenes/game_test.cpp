// The race scene on the Null device: set-up, the countdown and clock, the Escape question, Enter,
// the result screen's overlay, a course without checkpoints or none can fly, and release.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/singletons.h"
#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/audio/audio_device.h"
#include "platform/window/clock.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "simplelib/resource_cache.h"
#include "simplelib/texture.h"
#include "scenes/game.h"
#include "scenes/race_sounds.h"
#include "sound/sound_manager.h"
#include "support/game_test_support.h"

namespace {

using platform::input::SetKeyDown;

struct Box {
    std::string caption, text;
    int answer;
};

class GameScene : public RaceSceneTest {
protected:
    void SetUp() override {
        RaceSceneTest::SetUp();
        testsupport::UseJapanese();
        platform::message_box::SetObserver([this](const std::string& caption, const std::string& text, int answer) {
            boxes.push_back({caption, text, answer});
        });
    }

    // The course is generated content; the scene needs its map, models and textures.
    bool HaveCourse() const {
        if (!HaveMap()) return false;
        // Models whose materials name no texture ask for their folder as an image; until the image
        // reader answers that with a plain failure, a whole race cannot be set up here.
        try {
            SimpleLib::CTexture probe;
            probe.Load(GraphicsDevice::Instance().device.get(), "data/MapObject/");
        } catch (const std::exception&) { return false; }
        return true;
    }

    void Start() {
        game = std::make_unique<Game>();
        game->Init();
    }

    std::vector<Box> boxes;
};

TEST_F(GameScene, ReleaseIsSafeTwiceAndWithoutInit) {
    Game unused;
    unused.Release();
    unused.Release();
    if (!HaveCourse()) GTEST_SKIP() << "no generated course, or its textures cannot be loaded";
    Start();
    game->Release();
    game->Release();
    EXPECT_TRUE(PlayerManager::Instance().players.empty());
    EXPECT_TRUE(CourseManager::Instance().checkPoints.empty());
    EXPECT_EQ(EffectManager::Instance().LiveCount(), 0u);
    EXPECT_EQ(MapManager::Instance().camera, nullptr);
}

TEST_F(GameScene, CountdownHoldsTheClockAtZeroThenTheRaceStarts) {
    if (!HaveCourse()) GTEST_SKIP() << "no generated course, or its textures cannot be loaded";
    Start();
    ASSERT_EQ(PlayerManager::Instance().players.size(), 5u);
    EXPECT_FALSE(game->race.started);
    EXPECT_NE(MapManager::Instance().camera, nullptr);
    int frames = 5; // the warm-up passes of Init
    while (!game->race.started && frames < 400) {
        EXPECT_EQ(game->race.ClockMs(), 0u);
        EXPECT_TRUE(game->race.clockStopped);
        EXPECT_TRUE(game->race.racers[1].frozen);
        EXPECT_EQ(Frame(), 1);
        ++frames;
    }
    // "go" plays on the 156th update; the race starts on the next one
    EXPECT_EQ(frames, 157);
    EXPECT_FALSE(game->race.clockStopped);
    EXPECT_FALSE(game->race.racers[1].frozen);
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(game->race.ClockMs(), 160u);
    EXPECT_EQ(game->timer.milliseconds, 160u);
}

TEST_F(GameScene, EscapeAnsweredNoKeepsRacingAndDoesNotReopenWhileHeld) {
    if (!HaveCourse()) GTEST_SKIP() << "no generated course, or its textures cannot be loaded";
    Start();
    platform::message_box::QueueAnswer(IDNO);
    SetKeyDown(VK_ESCAPE, true);
    EXPECT_EQ(Frame(), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Orlenda");
    EXPECT_EQ(boxes[0].text, "タイトルに戻りますか？");
    EXPECT_EQ(boxes[0].answer, IDNO); // the default button is No
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Frame(), 1);
    EXPECT_EQ(boxes.size(), 1u);

    SetKeyDown(VK_ESCAPE, false);
    Frame();
    platform::message_box::QueueAnswer(IDYES);
    SetKeyDown(VK_ESCAPE, true);
    EXPECT_EQ(Frame(), 0);
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(GameScene, EnterDuringTheRaceIsNotPolled) {
    if (!HaveCourse()) GTEST_SKIP() << "no generated course, or its textures cannot be loaded";
    Start();
    SetKeyDown(VK_RETURN, true);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Frame(), 1);
    EXPECT_TRUE(game->Seat().Pressed(VK_RETURN)) << "the press is still there for the result screen";
}

TEST_F(GameScene, KeyboardRacersFinishShowsTheResultAndEnterLeaves) {
    if (!HaveCourse()) GTEST_SKIP() << "no generated course, or its textures cannot be loaded";
    Start();
    ASSERT_GE(game->Person(), 0);
    game->race.racers[static_cast<std::size_t>(game->Person())].finished = true;
    game->hud.alpha = 77;
    EXPECT_EQ(Frame(), 1);
    EXPECT_TRUE(game->cleared);
    EXPECT_EQ(game->hud.alpha, 2); // reset at the finish, then one result frame drawn
    EXPECT_EQ(game->dimAlpha, 2);
    SetKeyDown(VK_RETURN, true);
    EXPECT_EQ(Frame(), 0);
}

TEST(ResultOverlay, DarkensTo150After75Frames) {
    std::int32_t alpha = 0;
    for (int frame = 0; frame < 74; ++frame) alpha = Game::NextDimAlpha(alpha);
    EXPECT_EQ(alpha, 148);
    alpha = Game::NextDimAlpha(alpha);
    EXPECT_EQ(alpha, 150);
    EXPECT_EQ(Game::NextDimAlpha(alpha), 150);
}

TEST_F(GameScene, CourseWithoutCheckPointsSaysSoAndReturnsToTheTitle) {
    const std::filesystem::path here = std::filesystem::current_path();
    const std::filesystem::path empty = std::filesystem::temp_directory_path() / "orlenda_no_course";
    std::filesystem::create_directories(empty);
    std::filesystem::current_path(empty);
    Start();
    EXPECT_EQ(Frame(), 0);
    // Asked once: the scene manager would restart the fade-out on every further request.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Frame(), 1);
    game->Render();
    std::filesystem::current_path(here);
    // (the empty folder also has no effect images, which the effect manager reports on its own)
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().caption, "Orlenda");
    EXPECT_NE(boxes.back().text.find("チェックポイント"), std::string::npos);
    EXPECT_TRUE(PlayerManager::Instance().players.empty());
}

// Rings moved out of every racer's reach: no racer passes a checkpoint, and after a minute of race
// updates the player is offered the title, which a scripted run takes.
TEST_F(GameScene, ARaceNoRacerCanFlyOffersTheTitleAfterAMinute) {
    if (!HaveCourse()) GTEST_SKIP() << "no generated course, or its textures cannot be loaded";
    Start();
    for (race::CourseCheckPoint& ring : game->course.checkPoints) ring.position.y = -5000.0f;
    auto step = [this] {
        platform::clock::AdvanceFrame();
        return game->Update();
    };
    while (!game->race.started) step();
    for (int update = 0; update < 3700; ++update) ASSERT_EQ(step(), 1) << update;
    EXPECT_TRUE(boxes.empty());
    std::int32_t next = 1;
    for (int more = 0; more < 100 && next == 1; ++more) next = step();
    EXPECT_EQ(next, 0) << "still racing after 3800 race updates";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].answer, IDYES);
    EXPECT_NE(boxes[0].text.find("チェックポイント"), std::string::npos);
}

// The boost's looping sound ends with the race, however the race ends.
TEST_F(GameScene, BoostSoundStopsOnTheReturnToTheTitleAndWithTheScene) {
    if (!HaveCourse()) GTEST_SKIP() << "no generated course, or its textures cannot be loaded";
    platform::audio::ForceLoopback(true);
    SoundManager::Instance().Init();
    if (!SoundManager::Instance().HasSound("fly")) GTEST_SKIP() << "no generated boost sound";
    auto flying = [] {
        const auto names = SoundManager::Instance().PlayingNames();
        return std::find(names.begin(), names.end(), "fly") != names.end();
    };
    Start();
    while (!game->race.started) Frame();

    SetKeyDown(VK_SHIFT, true);
    Frame();
    ASSERT_TRUE(flying());
    platform::message_box::QueueAnswer(IDYES);
    SetKeyDown(VK_ESCAPE, true);
    EXPECT_EQ(Frame(), 0);
    EXPECT_FALSE(flying()) << "Escape -> Yes with Shift held";

    // a boost started again, once the burst has run out, before the scene goes
    SetKeyDown(VK_SHIFT, false);
    for (int i = 0; i < 30; ++i) Frame();
    SetKeyDown(VK_SHIFT, true);
    Frame();
    ASSERT_TRUE(flying());
    game.reset();
    EXPECT_FALSE(flying()) << "race scene released";
}

// People at one screen each hear their own chime and boost; a computer racer and another
// machine's person make no sound here, and the countdown is everyone's.
TEST(RaceSounds, EachPersonAtThisScreenHasTheirOwnChimeAndBoostLoop) {
    race::RaceState race;
    race.racerCount = 4;
    const std::int32_t seats[] = {1, -1, 0, 2}; // racer 1 is a computer's, seat 2 plays elsewhere
    for (std::size_t i = 0; i < 4; ++i) race.racers[i].seat = seats[i];
    race::RaceEvents events;
    events.Add(race::EventKind::CountdownBeep, -1, 2);
    events.Add(race::EventKind::BoostStart, 0);
    events.Add(race::EventKind::BoostStart, 2);
    events.Add(race::EventKind::CheckPointPassed, 0, 3, true);
    events.Add(race::EventKind::CheckPointPassed, 1, 3, false);
    events.Add(race::EventKind::CheckPointPassed, 2, 3, false); // the automatic pilot flies it
    events.Add(race::EventKind::BoostStart, 3);
    events.Add(race::EventKind::CheckPointPassed, 3, 3, true);
    events.Add(race::EventKind::BoostStop, 0);
    using Kind = SoundCue::Kind;
    const std::vector<SoundCue> expected{{Kind::Once, "push", -1},
                                         {Kind::StartLoop, "fly", 1},
                                         {Kind::StartLoop, "fly", 0},
                                         {Kind::Once, "get", 1},
                                         {Kind::StopLoop, "fly", 1}};
    EXPECT_EQ(SoundCuesOf(events, race, 0b011), expected);
}

} // namespace
