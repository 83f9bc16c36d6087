// HUD glyph cells and fades, and the follow camera's placement.
#include <gtest/gtest.h>

#include "platform/gpu/null/null_device.h"
#include "render/graphics_device.h"
#include "scenes/camera.h"
#include "scenes/hud_glyphs.h"
#include "scenes/race_timer.h"
#include "scenes/rank_display.h"
#include "simplelib/resource_cache.h"

namespace {

TEST(ClockGlyphs, ShowMinutesSecondsAndHundredths) {
    // 83 456 ms reads 1:23.45
    const auto cells = hud::ClockCells(83456 / 60000, (83456 / 1000) % 60, 83456 % 1000);
    const std::vector<std::uint32_t> expected{1, 11, 2, 3, 10, 4, 5};
    EXPECT_EQ(cells, expected);
}

TEST(ClockGlyphs, MinutesAboveNineTakeOneDigitCellEach) {
    // 12:34.56, and the longest race the two-digit layout is made for
    EXPECT_EQ(hud::ClockCells(12, 34, 560), (std::vector<std::uint32_t>{1, 2, 11, 3, 4, 10, 5, 6}));
    EXPECT_EQ(hud::ClockCells(99, 59, 999), (std::vector<std::uint32_t>{9, 9, 11, 5, 9, 10, 9, 9}));
    EXPECT_EQ(hud::ClockCells(100, 0, 0), (std::vector<std::uint32_t>{1, 0, 0, 11, 0, 0, 10, 0, 0}));
    EXPECT_EQ(hud::ClockCells(10, 0, 0).front(), 1u); // never a separator where a digit belongs
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
        timer.StepResultFade();
        rank.StepResultFade();
        timer.DrawResult(); // drawing moves nothing
        rank.DrawResult();
    }
    EXPECT_EQ(timer.alpha, 254);
    EXPECT_EQ(rank.alpha, 254);
    timer.StepResultFade();
    rank.StepResultFade();
    EXPECT_EQ(timer.alpha, 255);
    EXPECT_EQ(rank.alpha, 255);
}

TEST(RaceTimerLayout, RacingStripStepsThirtyPixelsFromTheTopRight) {
    RaceTimer timer;
    timer.Init();
    EXPECT_EQ(timer.minutes + timer.seconds + timer.milliseconds, 0u);
    timer.Show(754560);
    EXPECT_EQ(timer.minutes, 12u);
    EXPECT_EQ(timer.seconds, 34u);
    EXPECT_EQ(timer.milliseconds, 560u);
    timer.DrawRacing();
    // the last of seven glyphs starts 6 × 30 pixels right of x 1000
    EXPECT_FLOAT_EQ(timer.world._41, 1180.0f);
    EXPECT_FLOAT_EQ(timer.world._42, 10.0f);
    EXPECT_FLOAT_EQ(timer.world._11, 0.5f);
}

// The clock drawn on the Null device: the screen position and cell of every glyph, left to right.
class ClockStrip : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GraphicsDevice::Instance().InitNull(1280, 720));
        timer.Init();
        if (!timer.digits.texture) GTEST_SKIP() << "no generated number strip";
    }
    void TearDown() override {
        timer.digits.Release();
        ResourceCache::ResetInstance();
        GraphicsDevice::ResetInstance();
    }

    struct Glyph {
        float x;
        std::int32_t cell;
        bool operator==(const Glyph&) const = default;
    };
    std::vector<Glyph> Draw(std::uint32_t minutes, std::uint32_t seconds, std::uint32_t milliseconds, bool result) {
        auto& device = static_cast<gpu::NullDevice&>(*GraphicsDevice::Instance().device);
        device.ClearLogs();
        timer.minutes = minutes, timer.seconds = seconds, timer.milliseconds = milliseconds;
        gpu::Sprite& sprite = *GraphicsDevice::Instance().sprite;
        sprite.Begin(D3DXSPRITE_ALPHABLEND);
        result ? timer.DrawResult() : timer.DrawRacing();
        sprite.End();
        std::vector<Glyph> glyphs;
        for (const auto& draw : device.spriteLog) glyphs.push_back({draw.x, draw.source.left / hud::kCellSize});
        return glyphs;
    }

    RaceTimer timer;
};

TEST_F(ClockStrip, ExtraMinuteDigitsGrowLeftwardsAtTheGlyphAdvance) {
    // under ten minutes: seven glyphs from x 1000, 30 pixels apart
    EXPECT_EQ(Draw(9, 59, 990, false),
              (std::vector<Glyph>{{1000, 9}, {1030, 11}, {1060, 5}, {1090, 9}, {1120, 10}, {1150, 9}, {1180, 9}}));
    // 12:34.56: the tens of minutes one advance to the left, everything else where it was
    EXPECT_EQ(
        Draw(12, 34, 560, false),
        (std::vector<Glyph>{{970, 1}, {1000, 2}, {1030, 11}, {1060, 3}, {1090, 4}, {1120, 10}, {1150, 5}, {1180, 6}}));
    // the result layout advances 40 pixels from the screen centre
    const auto result = Draw(99, 59, 990, true);
    ASSERT_EQ(result.size(), 8u);
    EXPECT_EQ(result.front(), (Glyph{600, 9}));
    EXPECT_EQ(result[1], (Glyph{640, 9}));
    EXPECT_EQ(result.back(), (Glyph{880, 9}));
}

TEST(FollowCamera, DropsBackWithSpeed) {
    Camera camera;
    camera.cameraMatrix = MatrixTranslation(10.0f, 20.0f, 30.0f);
    camera.Follow(2.2f); // maxSpeed
    EXPECT_NEAR(camera.world._41, 10.0f, 1e-5f);
    EXPECT_NEAR(camera.world._42, 22.5f, 1e-5f);
    EXPECT_NEAR(camera.world._43, 30.0f - 7.4f, 1e-5f);
    const D3DXMATRIX product = camera.world * camera.view;
    EXPECT_TRUE(D3DXMatrixIsIdentity(&product) || std::fabs(product._43) < 1e-4f);

    camera.Follow(0.0f);
    EXPECT_NEAR(camera.world._43, 27.0f, 1e-5f);
}

TEST(FollowCamera, TurnsFourteenUpdatesBehindTheRacerOnItsPosition) {
    race::RacerState racer;
    racer.yawMatrix = MatrixRotationY(0.5f);
    racer.positionMatrix = MatrixTranslation(1.0f, 2.0f, 3.0f);
    Camera camera;
    camera.Place(racer);
    EXPECT_EQ(camera.Rotation(), racer.yawMatrix);
    EXPECT_EQ(MatrixPosition(camera.cameraMatrix), (D3DXVECTOR3{1.0f, 2.0f, 3.0f}));
    racer.orientation = MatrixRotationY(1.0f) * MatrixTranslation(5.0f, 6.0f, 7.0f);
    for (int update = 1; update < Camera::kHistoryLength; ++update) {
        camera.Step(racer);
        EXPECT_EQ(camera.Rotation(), racer.yawMatrix) << update;
    }
    camera.Step(racer);
    EXPECT_EQ(camera.Rotation(), MatrixRotationY(1.0f));
    EXPECT_EQ(MatrixPosition(camera.cameraMatrix), (D3DXVECTOR3{5.0f, 6.0f, 7.0f}));
}

} // namespace
