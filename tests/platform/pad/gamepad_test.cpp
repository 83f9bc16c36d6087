// The gamepad through SDL's virtual joystick: the layout onto game keys, analog sticks with their
// dead zone, and a pad pulled out and plugged back in.
#include <gtest/gtest.h>

#include "platform/pad/gamepad.h"
#include "platform/window/input.h"

namespace {

using namespace platform::pad;

class Gamepad : public ::testing::Test {
protected:
    void SetUp() override {
        platform::input::ReleaseAllKeys();
        std::string error;
        ASSERT_TRUE(Start(Source::VirtualOnly, &error)) << error;
        ASSERT_TRUE(ConnectVirtual(&error)) << error;
        Poll();
    }
    void TearDown() override {
        Stop();
        platform::input::ReleaseAllKeys();
    }
    static bool Held(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }
    static float Amount(int key) { return platform::input::KeyAmount(key); }
};

TEST_F(Gamepad, ButtonsAndTriggersHoldTheirGameKeys) {
    ASSERT_TRUE(Current().connected);
    EXPECT_FALSE(Held(VK_SPACE)) << "triggers rest released";
    struct Case {
        const char* button;
        std::vector<int> keys;
    };
    for (const Case& c : std::vector<Case>{{"A", {VK_SPACE}},
                                           {"B", {VK_SHIFT}},
                                           {"Y", {'C'}},
                                           {"X", {'R'}},
                                           {"START", {VK_RETURN, 'P'}},
                                           {"BACK", {VK_ESCAPE}},
                                           {"DPAD_DOWN", {VK_NAVIGATION_DOWN}}}) {
        SetVirtualButton(ButtonFromName(c.button), true);
        Poll();
        for (int key : c.keys) EXPECT_TRUE(Held(key)) << c.button;
        SetVirtualButton(ButtonFromName(c.button), false);
        Poll();
        for (int key : c.keys) EXPECT_FALSE(Held(key)) << c.button;
    }
    SetVirtualAxis(AxisFromName("TRIGGERRIGHT"), 1.0f);
    SetVirtualAxis(AxisFromName("triggerleft"), 0.5f);
    Poll();
    EXPECT_TRUE(Held(VK_SPACE));
    EXPECT_TRUE(Held(VK_SHIFT));
    EXPECT_EQ(ButtonFromName("TURBO"), -1);
    EXPECT_EQ(AxisFromName("LEFTZ"), -1);
}

TEST_F(Gamepad, TheLeftStickTurnsAndPitchesInProportionBeyondItsDeadZone) {
    const int x = AxisFromName("LEFTX"), y = AxisFromName("LEFTY");
    for (float value : {0.25f, 0.5f, 1.0f}) {
        SetVirtualAxis(x, value);
        Poll();
        EXPECT_NEAR(Amount(VK_RIGHT), value, 0.001f);
        EXPECT_EQ(Amount(VK_LEFT), 0.0f);
    }
    SetVirtualAxis(x, 0.15f);
    Poll();
    EXPECT_FALSE(Held(VK_RIGHT)) << "inside the dead zone";
    SetVirtualAxis(x, -0.6f);
    SetVirtualAxis(y, -0.4f);
    Poll();
    EXPECT_NEAR(Amount(VK_LEFT), 0.6f, 0.001f);
    EXPECT_NEAR(Amount(VK_UP), 0.4f, 0.001f) << "stick up lifts the nose";
    EXPECT_TRUE(Held(VK_NAVIGATION_LEFT)) << "past half-way the stick moves menus";
    EXPECT_FALSE(Held(VK_NAVIGATION_UP));
    platform::input::SetKeyDown(VK_LEFT, true);
    EXPECT_EQ(Amount(VK_LEFT), 1.0f) << "a held key is a full turn";
}

TEST_F(Gamepad, PullingThePadOutLetsGoOfItsKeysAndPluggingItInAgainWorks) {
    SetVirtualAxis(AxisFromName("LEFTX"), 1.0f);
    SetVirtualButton(ButtonFromName("A"), true);
    Poll();
    ASSERT_TRUE(Held(VK_RIGHT));
    DisconnectVirtual();
    Poll();
    EXPECT_FALSE(Current().connected);
    EXPECT_FALSE(Held(VK_RIGHT));
    EXPECT_FALSE(Held(VK_SPACE));
    std::string error;
    ASSERT_TRUE(ConnectVirtual(&error)) << error;
    Poll();
    EXPECT_TRUE(Current().connected);
    EXPECT_FALSE(Held(VK_RIGHT)) << "a new pad starts centred";
    SetVirtualButton(ButtonFromName("A"), true);
    Poll();
    EXPECT_TRUE(Held(VK_SPACE));
}

} // namespace
