// The SDL window and pump on a real display: client size, and events turned into messages and keys.
#include <gtest/gtest.h>

#include <SDL.h>
#include <epoxy/gl.h>

#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "platform/window/window.h"

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(platform::window::InitVideo(&error)) << error;
        ASSERT_TRUE(window.Create("Orlenda", 1280, 720, &error)) << error;
        platform::input::ReleaseAllKeys();
        Drain();
    }
    void TearDown() override { window.Destroy(); }
    void Drain() {
        platform::window::Message message;
        while (platform::window::PeekMessage(&message)) {}
    }
    // Pushes one event and pumps until the queue is empty; returns the messages seen.
    std::vector<platform::window::Message> Pump(SDL_Event event) {
        SDL_PushEvent(&event);
        std::vector<platform::window::Message> seen;
        platform::window::Message message;
        while (platform::window::PeekMessage(&message)) seen.push_back(message);
        return seen;
    }
    static SDL_Event Key(SDL_Scancode code, bool down) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = code;
        return event;
    }
    bool Down(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

    platform::window::Window window;
};

TEST_F(WindowTest, ClientAreaIsExactlyTheRequestedSize) {
    std::int32_t width = 0, height = 0;
    ASSERT_TRUE(platform::window::GetClientSize(window.Handle(), &width, &height));
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    window.Show();
    platform::window::ShowCursor(false);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST_F(WindowTest, QuitAndCloseBecomeWmCloseAndTheWheelItsOwnMessage) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    auto seen = Pump(quit);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, platform::window::WM_CLOSE);

    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window.Handle()));
    seen = Pump(close);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, platform::window::WM_CLOSE);
    EXPECT_EQ(seen[0].window, window.Handle());

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 1;
    seen = Pump(wheel);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, platform::window::WM_MOUSEWHEEL);
}

TEST_F(WindowTest, KeysArriveAsVirtualKeyCodes) {
    const std::pair<SDL_Scancode, int> keys[] = {
        {SDL_SCANCODE_RETURN, VK_RETURN},
        {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
        {SDL_SCANCODE_SPACE, VK_SPACE},
        {SDL_SCANCODE_LEFT, VK_LEFT},
        {SDL_SCANCODE_UP, VK_UP},
        {SDL_SCANCODE_RIGHT, VK_RIGHT},
        {SDL_SCANCODE_DOWN, VK_DOWN},
        {SDL_SCANCODE_C, 'C'},
        {SDL_SCANCODE_R, 'R'},
    };
    for (auto [code, vk] : keys) {
        auto seen = Pump(Key(code, true));
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen[0].message, platform::window::WM_NULL);
        EXPECT_TRUE(Down(vk)) << vk;
        Pump(Key(code, false));
        EXPECT_FALSE(Down(vk)) << vk;
    }
}

TEST_F(WindowTest, EitherShiftAndEitherEnterHoldTheirKeyUntilBothAreUp) {
    Pump(Key(SDL_SCANCODE_LSHIFT, true));
    Pump(Key(SDL_SCANCODE_RSHIFT, true));
    Pump(Key(SDL_SCANCODE_LSHIFT, false));
    EXPECT_TRUE(Down(VK_SHIFT));
    Pump(Key(SDL_SCANCODE_RSHIFT, false));
    EXPECT_FALSE(Down(VK_SHIFT));
    Pump(Key(SDL_SCANCODE_KP_ENTER, true));
    EXPECT_TRUE(Down(VK_RETURN));
    Pump(Key(SDL_SCANCODE_KP_ENTER, false));
    EXPECT_FALSE(Down(VK_RETURN));
}

// SDL reports a full-screen window at the display's size at once, but with no window manager to
// carry the request out the real window kept its old size and the picture was drawn too large for
// it. The GL drawable's first viewport is the real window's size, whatever SDL believes.
TEST(FullScreenWindow, CoversTheWholeDisplayEvenWithoutAWindowManager) {
    std::string error;
    ASSERT_TRUE(platform::window::InitVideo(&error)) << error;
    platform::window::Window window;
    ASSERT_TRUE(window.Create("Orlenda", 640, 360, &error)) << error;
    auto* sdlWindow = static_cast<SDL_Window*>(window.Handle());
    SDL_Rect display{};
    ASSERT_EQ(SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(sdlWindow), &display), 0) << SDL_GetError();
    ASSERT_TRUE(window.SetFullScreen(true, &error)) << error;
    window.Show();
    SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], display.w);
    EXPECT_EQ(viewport[3], display.h);
    SDL_GL_DeleteContext(context);
}

// Boxes opened by services that have no window at hand must still come up over the game's window
// (in full screen, a box without a parent opens behind it), and never over a destroyed one.
TEST_F(WindowTest, BoxesWithoutAnOwnerBelongToTheGameWindowWhileItExists) {
    EXPECT_EQ(platform::message_box::EffectiveOwner(nullptr), window.Handle());
    int other = 0;
    EXPECT_EQ(platform::message_box::EffectiveOwner(&other), &other);
    window.Destroy();
    EXPECT_EQ(platform::message_box::EffectiveOwner(nullptr), nullptr);
}

} // namespace
