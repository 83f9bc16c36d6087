// Clock, key state and message boxes in the modes automated runs use.
#include <gtest/gtest.h>

#include "platform/window/clock.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "platform/window/window.h"

namespace {

class FixedClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::clock::SetFixed(true);
        platform::clock::Reset();
    }
    void TearDown() override {
        platform::clock::Reset();
        platform::clock::SetFixed(false);
    }
};

TEST_F(FixedClockTest, StandsStillUntilSleptOrAdvanced) {
    EXPECT_EQ(timeGetTime(), 0u);
    EXPECT_EQ(timeGetTime(), 0u);
    Sleep(16);
    EXPECT_EQ(timeGetTime(), 16u);
    platform::clock::Advance(40);
    platform::clock::AdvanceFrame();
    EXPECT_EQ(timeGetTime(), 72u);
    Sleep(0);
    EXPECT_EQ(platform::clock::SleepCount(), 1u) << "a zero sleep is no sleep";
}

TEST_F(FixedClockTest, WrapsAsUnsigned32Bit) {
    platform::clock::Advance(0xFFFFFFF0u);
    std::uint32_t start = timeGetTime();
    Sleep(32);
    EXPECT_EQ(timeGetTime() - start, 32u); // the loop's elapsed arithmetic survives the wrap
}

TEST(RealClock, MovesForwardAcrossASleep) {
    platform::clock::SetFixed(false);
    std::uint32_t start = timeGetTime();
    Sleep(3);
    EXPECT_GE(timeGetTime() - start, 3u);
}

TEST(KeyState, HighBitWhileDownAndOutOfRangeCodesAreUp) {
    platform::input::ReleaseAllKeys();
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN) & 0x8000, 0);
    platform::input::SetKeyDown(VK_RETURN, true);
    EXPECT_NE(GetAsyncKeyState(VK_RETURN) & 0x8000, 0);
    platform::input::SetKeyDown(-1, true);
    platform::input::SetKeyDown(300, true);
    EXPECT_EQ(GetAsyncKeyState(-1), 0);
    EXPECT_EQ(GetAsyncKeyState(300), 0);
    platform::input::ReleaseAllKeys();
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
}

TEST(MessageBoxes, AutomaticModeTakesScriptedAnswersThenDefaults) {
    platform::message_box::SetMode(platform::message_box::Mode::Automatic);
    platform::message_box::ClearAnswers();
    std::vector<std::string> seen;
    platform::message_box::SetObserver(
        [&](const std::string& caption, const std::string& text, int) { seen.push_back(caption + "|" + text); });
    const unsigned question = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    EXPECT_EQ(MessageBoxA(nullptr, "ゲームを終了しますか？", "Orlenda", question), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "q", "Orlenda", MB_YESNO), IDYES)
        << "first button is the default without DEFBUTTON2";
    EXPECT_EQ(MessageBoxA(nullptr, "Direct3D初期化ミス", "", MB_OK), IDOK);
    platform::message_box::QueueAnswer(IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "ゲームを終了しますか？", "Orlenda", question), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "ゲームを終了しますか？", "Orlenda", question), IDNO) << "an answer is used once";
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], "Orlenda|ゲームを終了しますか？");
    platform::message_box::SetObserver(nullptr);
}

TEST(WindowPump, WithoutVideoThereAreNoMessagesAndNoClientSize) {
    ASSERT_FALSE(platform::window::VideoStarted());
    platform::window::Message message;
    EXPECT_FALSE(platform::window::PeekMessage(&message));
    std::int32_t width = 7, height = 7;
    EXPECT_FALSE(platform::window::GetClientSize(nullptr, &width, &height));
    EXPECT_EQ(width, 7);
    platform::window::ShowCursor(false); // harmless without a display
}

} // namespace
