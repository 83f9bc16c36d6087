// The shell's main loop on the Null device: start-up, frame pacing, the frame-rate count, quitting.
#include <algorithm>
#include <chrono>
#include <thread>

#include "app/frame_observer.h"
#include "support/game_test_support.h"

namespace {

// A scene that notes the clock and its frame rate at each update and can stall a frame.
class ClockScene : public SceneBase {
public:
    void Init() override {}
    std::int32_t Update() override {
        ++updates;
        startTimes.push_back(timeGetTime());
        rates.push_back(framesPerSecond);
        if (updates == stallAt) platform::clock::Advance(40);
        if (updates == exitAt) exitRequested = true;
        return 0;
    }
    void DrawWorld() override {}
    void Render() override {
        gpu::Device* device = GraphicsDevice::Instance().device.get();
        shown.push_back(device && !device->DrawsDiscarded());
        if (renderDelay.count() > 0 && shown.back()) std::this_thread::sleep_for(renderDelay);
    }
    void Release() override {}

    int updates = 0, stallAt = -1, exitAt = -1;
    std::chrono::milliseconds renderDelay{0}; // a slow machine's picture
    std::vector<std::uint32_t> startTimes;
    std::vector<std::int32_t> rates;
    std::vector<bool> shown; // per Render call: drawn, or run with draws discarded
};

// Asks for one frame to be shown, as a due screenshot does.
class ShowRequester : public FrameObserver {
public:
    bool MustShow(std::uint64_t frame) override { return frame == wanted; }
    std::uint64_t wanted = 0;
};

// Presses keys at the start of given frames, as an input script would.
class KeyPresser : public FrameObserver {
public:
    void FrameStarting(std::uint64_t frame) override {
        if (frame == pressAt) platform::input::SetKeyDown(key, true);
    }
    std::uint64_t pressAt = 0;
    int key = 0;
};

class ApplicationTest : public GameShellTest {
protected:
    void SetUp() override {
        GameShellTest::SetUp();
        GraphicsDevice::ResetInstance(); // Create makes its own device
        Application::Instance().options.headless = true;
    }
    void TearDown() override {
        Application::Instance().Shutdown();
        GameShellTest::TearDown();
    }
    ClockScene* UseClockScene() {
        auto scene = std::make_unique<ClockScene>();
        ClockScene* raw = scene.get();
        auto holder = std::make_shared<std::unique_ptr<SceneBase>>(std::move(scene));
        SceneManager::Instance().factory = [holder](std::int32_t) { return std::move(*holder); };
        return raw;
    }
};

TEST_F(ApplicationTest, HeadlessStartUpGivesTheScreenSizeAndEntersTheTitleWithoutFade) {
    Application& app = Application::Instance();
    ASSERT_TRUE(app.Create(nullptr));
    EXPECT_EQ(app.clientWidth, 1280);
    EXPECT_EQ(app.clientHeight, 720);
    EXPECT_EQ(GraphicsDevice::Instance().presentParameters.BackBufferWidth, 1280u);
    EXPECT_EQ(GraphicsDevice::Instance().presentParameters.BackBufferHeight, 720u);
    ASSERT_NE(SceneManager::Instance().scene, nullptr);
    EXPECT_EQ(SceneManager::Instance().scene->sceneId, 0);
    EXPECT_FALSE(MapManager::Instance().active);
    EXPECT_NE(MapManager::Instance().fadeTexture.texture, nullptr);
    EXPECT_FALSE(app.stopped);
    EXPECT_FALSE(app.quitRequested);
}

TEST_F(ApplicationTest, FrameRateIsTheFrameCountOfEachWindowJustOver1000ms) {
    ClockScene* scene = UseClockScene();
    Application& app = Application::Instance();
    app.options.maxFrames = 200;
    ASSERT_TRUE(app.Create(nullptr));
    EXPECT_EQ(app.Run(), 0);
    ASSERT_EQ(scene->updates, 200);
    // 16 ms frames: the 63rd ends at 1008 ms, the first time past 1000.
    for (int frame = 1; frame <= 63; ++frame) ASSERT_EQ(scene->rates[frame - 1], 0) << frame;
    EXPECT_EQ(scene->rates[63], 63);
    EXPECT_EQ(scene->rates[126], 63) << "the second window also counts 63";
    EXPECT_EQ(scene->startTimes[1] - scene->startTimes[0], 16u);
    EXPECT_EQ(app.frameNumber, 200u);
}

TEST_F(ApplicationTest, ALongFrameIsNotFollowedByASleep) {
    ClockScene* scene = UseClockScene();
    scene->stallAt = 5;
    Application& app = Application::Instance();
    app.options.maxFrames = 8;
    ASSERT_TRUE(app.Create(nullptr));
    app.Run();
    EXPECT_EQ(scene->startTimes[4] - scene->startTimes[3], 16u);
    EXPECT_EQ(scene->startTimes[5] - scene->startTimes[4], 40u) << "40 ms frame, then the next starts at once";
    EXPECT_EQ(scene->startTimes[6] - scene->startTimes[5], 16u) << "and nothing is made up later";
    EXPECT_EQ(platform::clock::SleepCount(), 7u);
}

TEST_F(ApplicationTest, OnTheRealClockASlowPictureIsCaughtUpWithAndGameTimeKeepsPace) {
    platform::clock::SetFixed(false);
    ClockScene* scene = UseClockScene();
    scene->renderDelay = std::chrono::milliseconds(40);
    ShowRequester requester;
    requester.wanted = 30;
    Application& app = Application::Instance();
    app.observer = &requester;
    app.options.maxFrames = 80;
    ASSERT_TRUE(app.Create(nullptr));
    app.Run();
    ASSERT_EQ(scene->updates, 80);
    ASSERT_EQ(scene->shown.size(), 80u) << "every frame's render runs, shown or not";
    // 80 frames are 1264 ms of game time after the first; one picture per frame would take 3160 ms.
    std::uint32_t clockSpan = scene->startTimes.back() - scene->startTimes.front();
    EXPECT_LT(clockSpan, 1264u * 5 / 4) << "game time kept pace with the clock";
    auto pictures = std::count(scene->shown.begin(), scene->shown.end(), true);
    EXPECT_LT(pictures, 50);
    EXPECT_EQ(std::uint64_t(pictures), GraphicsDevice::Instance().device->Counters().frames);
    EXPECT_TRUE(scene->shown[29]) << "a requested frame is shown";
    EXPECT_TRUE(scene->shown.back()) << "and so is the last";
    EXPECT_LT(scene->rates.back(), 50) << "the frame rate counts pictures";
}

TEST_F(ApplicationTest, CloseEndsTheLoopAtTheNextPassAndTheWheelDoesNothing) {
    UseClockScene();
    Application& app = Application::Instance();
    app.options.maxFrames = 1000;
    ASSERT_TRUE(app.Create(nullptr));
    EXPECT_EQ(app.WindowProc(nullptr, platform::window::WM_MOUSEWHEEL, 120, 0), 0);
    EXPECT_FALSE(app.quitRequested);
    EXPECT_EQ(app.WindowProc(nullptr, platform::window::WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(app.quitRequested);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_TRUE(app.stopped);
    EXPECT_EQ(app.frameNumber, 0u);
}

TEST_F(ApplicationTest, ASceneAskingToExitFinishesItsFrameThenEndsTheLoop) {
    ClockScene* scene = UseClockScene();
    scene->exitAt = 3;
    Application& app = Application::Instance();
    app.options.maxFrames = 1000;
    ASSERT_TRUE(app.Create(nullptr));
    EXPECT_EQ(scene->window, app.window) << "the scene owns its boxes through the game window";
    EXPECT_EQ(app.Run(), 0);
    EXPECT_TRUE(app.stopped);
    EXPECT_EQ(app.frameNumber, 3u);
    EXPECT_EQ(scene->updates, 3);
}

TEST_F(ApplicationTest, TitleEscapeYesStopsAfterThatFrameIsPresented) {
    KeyPresser presser;
    presser.pressAt = 3;
    presser.key = VK_ESCAPE;
    Application& app = Application::Instance();
    app.observer = &presser;
    app.options.maxFrames = 100;
    ASSERT_TRUE(app.Create(nullptr));
    platform::message_box::QueueAnswer(IDYES);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(app.frameNumber, 3u);
    EXPECT_EQ(GraphicsDevice::Instance().device->Counters().frames, 3u) << "frame 3 was still presented";
}

TEST_F(ApplicationTest, TitleEscapeNoKeepsRunning) {
    KeyPresser presser;
    presser.pressAt = 3;
    presser.key = VK_ESCAPE;
    Application& app = Application::Instance();
    app.observer = &presser;
    app.options.maxFrames = 20;
    ASSERT_TRUE(app.Create(nullptr));
    platform::message_box::QueueAnswer(IDNO);
    app.Run();
    EXPECT_EQ(app.frameNumber, 20u);
    EXPECT_FALSE(app.stopped);
}

TEST_F(ApplicationTest, ShutdownReleasesTheSceneOverlaysAndDevice) {
    Application& app = Application::Instance();
    ASSERT_TRUE(app.Create(nullptr));
    app.Shutdown();
    EXPECT_EQ(SceneManager::Instance().scene, nullptr);
    EXPECT_EQ(MapManager::Instance().fadeTexture.texture, nullptr);
    EXPECT_EQ(MapManager::Instance().dimTexture.texture, nullptr);
    EXPECT_EQ(GraphicsDevice::Instance().device, nullptr);
    EXPECT_EQ(ResourceCache::Instance().Size(), 0u);
}

} // namespace
