// Stopping the race: P pauses and resumes, F1 shows the controls, and the Escape question no longer
// lets the race clock run on behind it.
#include <gtest/gtest.h>

#include <filesystem>

#include "effects/effect_manager.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/window/clock.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "scenes/game.h"
#include "simplelib/resource_cache.h"
#include "simplelib/texture.h"
#include "support/game_test_support.h"
#include "support/singletons.h"

namespace {

class RaceStop : public RaceSceneTest {
protected:
    void SetUp() override {
        RaceSceneTest::SetUp();
        if (HasFatalFailure()) return;
        if (!HaveMap()) GTEST_SKIP() << "no generated course";
        game = std::make_unique<Game>();
        game->Init();
        for (int i = 0; i < 400 && !game->race.started; ++i) Frame();
        ASSERT_TRUE(game->race.started);
        // until the last racer has left the grid
        for (int i = 0; i < 250 && game->race.racers[4].startDelay > 0; ++i) Frame();
        for (int i = 0; i < 30; ++i) Frame();
    }
    // One press of a key, held for one frame and let go on the next.
    std::int32_t Press(int key) {
        platform::input::SetKeyDown(key, true);
        std::int32_t next = Frame();
        platform::input::SetKeyDown(key, false);
        return next;
    }
    std::uint32_t Elapsed() const { return game->race.ClockMs(); }
    static D3DXVECTOR3 Racer(std::size_t i) { return PlayerManager::Instance().players[i]->Position(); }
};

TEST_F(RaceStop, PHoldsTheClockAndEveryRacerThenTheRaceGoesOnWhereItStopped) {
    Press('P');
    ASSERT_TRUE(game->paused);
    const std::uint32_t clock = Elapsed();
    const D3DXVECTOR3 first = Racer(0), last = Racer(4);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(Frame(), 1);
    EXPECT_EQ(Elapsed(), clock);
    EXPECT_EQ(Racer(0), first);
    EXPECT_EQ(Racer(4), last);
    Press('P');
    EXPECT_FALSE(game->Halted());
    EXPECT_EQ(Elapsed(), clock + 16) << "the 50 paused frames are not on the clock";
    EXPECT_NE(Racer(4), last);
}

TEST_F(RaceStop, TheEscapeQuestionStopsTheClockWhileItIsOpen) {
    platform::message_box::SetObserver([](const std::string&, const std::string&, int) {
        platform::clock::Advance(30000); // the player reads the question for half a minute
    });
    const std::uint32_t clock = Elapsed();
    platform::message_box::QueueAnswer(IDNO);
    EXPECT_EQ(Press(VK_ESCAPE), 1);
    EXPECT_EQ(Elapsed(), clock + 16);
    Frame();
    EXPECT_EQ(Elapsed(), clock + 32);
}

TEST_F(RaceStop, F1ShowsTheControlsAndEscapeClosesThemWithoutAsking) {
    int boxes = 0;
    platform::message_box::SetObserver([&](const std::string&, const std::string&, int) { ++boxes; });
    Press(VK_F1);
    EXPECT_TRUE(game->controls.IsOpen());
    const std::uint32_t clock = Elapsed();
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(Elapsed(), clock);
    Press(VK_ESCAPE);
    EXPECT_FALSE(game->controls.IsOpen());
    EXPECT_EQ(boxes, 0);
    EXPECT_EQ(Elapsed(), clock + 16) << "the race goes on in the frame that closes the controls";
}

} // namespace
