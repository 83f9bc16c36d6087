// HUD glyph cells and fades, and the follow camera's placement.
#include <gtest/gtest.h>

#include "player/player.h"
#include "scenes/camera.h"
#include "scenes/hud_glyphs.h"
#include "scenes/race_timer.h"
#include "scenes/rank_display.h"

namespace {

TEST(ClockGlyphs, ShowMinutesSecondsAndHundredths) {
    // 83 456 ms reads 1:23.45
    const auto cells = hud::ClockCells(83456 / 60000, (83456 / 1000) % 60, 83456 % 1000);
    const std::array<std::uint32_t, 7> expected{1, 11, 2, 3, 10, 4, 5};
    EXPECT_EQ(cells, expected);
}

TEST(ClockGlyphs, MinutesAboveNineRunIntoTheSeparatorCells) {
    EXPECT_EQ(hud::ClockCells(11, 0, 0)[0], 11u);
    EXPECT_EQ(hud::CellRect(11), (RECT{1100, 0, 1200, 100}));
}

TEST(PlaceGlyphs, FirstToThirdHaveTheirOwnNumeralsAndSuffixRows) {
    EXPECT_EQ(RankDisplay::NumeralRect(1), (RECT{1200, 0, 1300, 100}));
    EXPECT_EQ(RankDisplay::NumeralRect(2), (RECT{1300, 0, 1400, 100}));
    EXPECT_EQ(RankDisplay::NumeralRect(3), (RECT{1400, 0, 1500, 100}));
    EXPECT_EQ(RankDisplay::SuffixRect(1), (RECT{0, 0, 105, 60}));
    EXPECT_EQ(RankDisplay::SuffixRect(2), (RECT{0, 60, 105, 120}));
    EXPECT_EQ(RankDisplay::SuffixRect(3), (RECT{0, 120, 105, 180}));
}

TEST(PlaceGlyphs, FourthAndFifthUsePlainDigitsAndTheLastSuffixRow) {
    EXPECT_EQ(RankDisplay::NumeralRect(4), (RECT{400, 0, 500, 100}));
    EXPECT_EQ(RankDisplay::NumeralRect(5), (RECT{500, 0, 600, 100}));
    EXPECT_EQ(RankDisplay::SuffixRect(4), (RECT{0, 180, 105, 240}));
    EXPECT_EQ(RankDisplay::SuffixRect(5), (RECT{0, 180, 105, 240}));
}

TEST(ResultFade, ClockAndPlaceAreOpaqueAfter128Frames) {
    RaceTimer timer;
    RankDisplay rank;
    for (int frame = 1; frame <= 127; ++frame) {
        timer.DrawResult();
        rank.DrawResult();
    }
    EXPECT_EQ(timer.alpha, 254);
    EXPECT_EQ(rank.alpha, 254);
    timer.DrawResult();
    rank.DrawResult();
    EXPECT_EQ(timer.alpha, 255);
    EXPECT_EQ(rank.alpha, 255);
}

TEST(RaceTimerLayout, RacingStripStepsThirtyPixelsFromTheTopRight) {
    RaceTimer timer;
    timer.Init();
    EXPECT_TRUE(timer.stopped);
    EXPECT_EQ(timer.minutes + timer.seconds + timer.milliseconds, 0u);
    timer.DrawRacing();
    // the last of seven glyphs starts 6 × 30 pixels right of x 1000
    EXPECT_FLOAT_EQ(timer.world._41, 1180.0f);
    EXPECT_FLOAT_EQ(timer.world._42, 10.0f);
    EXPECT_FLOAT_EQ(timer.world._11, 0.5f);
}

TEST(FollowCamera, DropsBackWithSpeed) {
    Player racer;
    racer.cameraMatrix = MatrixTranslation(10.0f, 20.0f, 30.0f);
    racer.speed = 2.2f; // maxSpeed
    Camera camera;
    camera.Follow(&racer);
    EXPECT_NEAR(camera.world._41, 10.0f, 1e-5f);
    EXPECT_NEAR(camera.world._42, 22.5f, 1e-5f);
    EXPECT_NEAR(camera.world._43, 30.0f - 7.4f, 1e-5f);
    const D3DXMATRIX product = camera.world * camera.view;
    EXPECT_TRUE(D3DXMatrixIsIdentity(&product) || std::fabs(product._43) < 1e-4f);

    racer.speed = 0.0f;
    camera.Follow(&racer);
    EXPECT_NEAR(camera.world._43, 27.0f, 1e-5f);
    camera.Follow(nullptr); // nothing happens
    EXPECT_NEAR(camera.world._43, 27.0f, 1e-5f);
}

} // namespace
