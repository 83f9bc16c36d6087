// The shell on a real window and OpenGL device: the title's first frames and a screenshot of them.
#include "support/singletons.h"
#include "app/automation/automation.h"
#include "support/game_test_support.h"

namespace {

class WindowedApplicationTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::ResetSingletons(); }
    void TearDown() override {
        Application::Instance().Shutdown();
        testsupport::ResetSingletons();
        platform::clock::SetFixed(false);
    }

    ScratchFolder folder{"windowed"}; // no content: the title is its clear colour and frame-rate text
};

TEST_F(WindowedApplicationTest, TitleClearsBlueAndWritesTheFrameRateTopLeft) {
    LaunchFlags flags;
    const char* args[] = {"orlenda", "--windowed", "--fixed-clock", "--frames", "3", "--screenshot", "2:shot.png"};
    std::string error;
    ASSERT_TRUE(ParseLaunchFlags(7, args, &flags, &error)) << error;
    Automation automation(flags);
    ASSERT_TRUE(automation.Open(&error)) << error;
    Application& app = Application::Instance();
    automation.Configure(app);
    // No content here, so the sound scan reports its error box: answer it instead of waiting.
    platform::message_box::SetMode(platform::message_box::Mode::Automatic);
    ASSERT_TRUE(app.Create(nullptr));
    EXPECT_EQ(app.clientWidth, 1280);
    EXPECT_EQ(app.clientHeight, 720);
    EXPECT_NE(app.window, nullptr);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.frameNumber, 3u);

    std::vector<std::uint32_t> pixels;
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(GraphicsDevice::Instance().device->ReadBackBuffer(pixels, width, height));
    ASSERT_EQ(width, 1280u);
    ASSERT_EQ(height, 720u);
    EXPECT_EQ(pixels[360 * 1280 + 640] & 0xFFFFFF, 0x0000FFu) << "the title's clear colour";
    int textPixels = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 80; ++x) textPixels += (pixels[y * 1280 + x] & 0xFFFFFF) != 0x0000FF;
    EXPECT_GT(textPixels, 10) << "\"FPS=0\" is drawn at (10, 10)";

    platform::image::Image shot;
    ASSERT_TRUE(platform::image::LoadPng((folder.root / "shot.png").string(), &shot, &error)) << error;
    EXPECT_EQ(shot.width, 1280u);
    EXPECT_EQ(shot.height, 720u);
    EXPECT_EQ(shot.pixels[360 * 1280 + 640] & 0xFFFFFF, 0x0000FFu);
}

} // namespace
