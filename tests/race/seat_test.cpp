// A person's seat: keys into controls, taps shorter than a frame, once-per-press keys and keys held
// across screens; and what the race makes of them.
#include <gtest/gtest.h>

#include "platform/window/input.h"
#include "race/lineup.h"
#include "race/seat.h"
#include "support/race_fixture.h"

namespace {

using platform::input::SetKeyDown;
constexpr int kKeyC = 0x43;
constexpr int kKeyR = 0x52;
using racetest::TestRace;

class SeatTest : public ::testing::Test {
protected:
    SeatTest() : racer(race.AddRacer(0, {0.0f, 50.0f, 0.0f}, 0.0f)) {
        race.AddCheckPoint({0.0f, 50.0f, 5000.0f}, 10.0f);
        platform::input::ReleaseAllKeys();
        platform::input::ClearBindings();
        // presses of earlier tests are no taps of this one
        seat.Poll();
        seat.Read();
    }
    ~SeatTest() override { platform::input::ReleaseAllKeys(); }

    // One frame: the key events are in, the seat takes them and the race steps on its controls.
    race::Controls Frame() {
        seat.Poll();
        const race::Controls controls = seat.Read();
        race.Step(1, controls);
        return controls;
    }

    race::Seat seat;
    TestRace race;
    race::RacerState& racer;
};

TEST_F(SeatTest, ATapBetweenTwoFramesCountsOnce) {
    SetKeyDown(VK_SPACE, true);
    SetKeyDown(VK_SPACE, false);
    SetKeyDown(kKeyC, true);
    SetKeyDown(kKeyC, false);
    seat.Poll();
    const race::Controls tapped = seat.Read();
    EXPECT_TRUE(tapped.throttle);
    EXPECT_TRUE(tapped.togglePilot);
    EXPECT_EQ(seat.Read(), race::Controls{}) << "taken by the first read";
    seat.Poll();
    EXPECT_EQ(seat.Read(), race::Controls{});
}

TEST_F(SeatTest, RightWinsOverLeftAndUpOverDown) {
    racer.speed = 2.2f;
    for (int key : {VK_RIGHT, VK_LEFT, VK_UP, VK_DOWN}) SetKeyDown(key, true);
    const race::Controls controls = Frame();
    EXPECT_EQ(controls.turn, 1.0f);
    EXPECT_EQ(controls.pitch, 1.0f);
    EXPECT_FLOAT_EQ(racer.yawRate, 0.03f);
    // nose up with the first pitch sign −1 raises the nose; the rate then decays by 0.95
    EXPECT_FLOAT_EQ(racer.pitch, 0.03f);
    EXPECT_FLOAT_EQ(racer.pitchRate, 0.03f * 0.95f);
}

TEST_F(SeatTest, RSwapsTheNoseKeysAndCTogglesThePilotOncePerPress) {
    racer.speed = 2.2f;
    SetKeyDown(kKeyR, true);
    for (int i = 0; i < 3; ++i) Frame();
    EXPECT_EQ(racer.pitchSign, 1);
    SetKeyDown(kKeyR, false);
    Frame();
    SetKeyDown(kKeyR, true);
    Frame();
    EXPECT_EQ(racer.pitchSign, -1);

    SetKeyDown(kKeyC, true);
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_EQ(racer.autoPilot, 1);
    SetKeyDown(kKeyC, false);
    Frame();
    EXPECT_EQ(racer.autoPilot, 1);
    SetKeyDown(kKeyC, true);
    Frame();
    EXPECT_EQ(racer.autoPilot, 0);
}

TEST_F(SeatTest, AKeyHeldIntoANewScreenWaitsForItsRelease) {
    SetKeyDown(kKeyC, true);
    seat.Poll();
    seat.ForgetHeld(kKeyC);
    EXPECT_FALSE(seat.Read().togglePilot);
    EXPECT_FALSE(Frame().togglePilot);
    SetKeyDown(kKeyC, false);
    EXPECT_FALSE(Frame().togglePilot);
    SetKeyDown(kKeyC, true);
    EXPECT_TRUE(Frame().togglePilot);
}

// A key held when a race ended and let go before the next one: the next race's first press counts.
TEST_F(SeatTest, APressHeldWhenARaceEndedDoesNotSwallowTheNextRacesFirstPress) {
    SetKeyDown(kKeyC, true);
    EXPECT_TRUE(Frame().togglePilot);
    platform::input::ReleaseAllKeys();
    seat.ForgetHeld();
    SetKeyDown(kKeyC, true);
    EXPECT_TRUE(Frame().togglePilot);
}

} // namespace

namespace {

using race::SeatDevice;
constexpr SeatDevice kSecondKeyboard{SeatDevice::Kind::SecondKeyboard, 0};
SeatDevice Pad(int pad) { return {SeatDevice::Kind::Pad, pad}; }

class LineupTest : public ::testing::Test {
protected:
    LineupTest() {
        platform::input::ReleaseAllKeys();
        platform::input::ClearPadKeys();
    }
    ~LineupTest() override {
        platform::input::ClearPadKeys();
        for (int pad = 0; pad < platform::input::kPads; ++pad) platform::input::SetPadConnected(pad, false);
    }
};

// `--players N`: keyboard, keyboard set 2, then pads in order; a seat that leaves lets the later
// ones move up a seat, and no device or fifth person gets a second seat.
TEST_F(LineupTest, PeopleJoinInOrderAndMoveUpWhenOneLeaves) {
    race::Lineup people;
    people.JoinInOrder(4);
    ASSERT_EQ(people.Count(), 4u);
    EXPECT_EQ(people.DeviceOf(0).Name(), "keyboard");
    EXPECT_EQ(people.DeviceOf(1), kSecondKeyboard);
    EXPECT_EQ(people.DeviceOf(2), Pad(0));
    EXPECT_EQ(people.DeviceOf(3).Name(), "pad 2");
    EXPECT_FALSE(people.Join(Pad(3))) << "four seats at most";
    people.Leave(1);
    EXPECT_EQ(people.Count(), 3u);
    EXPECT_EQ(people.SeatOf(Pad(0)), 1u);
    EXPECT_EQ(people.SeatOf(Pad(1)), 2u);
    EXPECT_FALSE(people.SeatOf(kSecondKeyboard));
    EXPECT_FALSE(people.Join(Pad(0))) << "a pad already seated";
    EXPECT_FALSE(people.Join({SeatDevice::Kind::Keyboard, 0})) << "set 1 is always 1P's";
    EXPECT_FALSE(people.Join(Pad(4)));
    people.Leave(0); // 1P never leaves
    EXPECT_EQ(people.Count(), 3u);
    people.JoinInOrder(1);
    EXPECT_EQ(people.Count(), 1u);
}

// A pad that joined flies its own seat's racer alone; the pads nobody joined with stay 1P's, and
// a seated pad pulled out is no longer connected.
TEST_F(LineupTest, AJoinedPadFliesItsOwnSeatAndTheOthersStay1PsOwn) {
    platform::input::SetPadConnected(0, true);
    platform::input::SetPadConnected(1, true);
    race::Lineup people;
    ASSERT_TRUE(people.Join(Pad(1)));
    platform::input::SetPadKey(1, VK_SPACE, 1.0f);
    people.Poll();
    EXPECT_FALSE(people.At(0).Read().throttle);
    EXPECT_TRUE(people.At(1).Read().throttle);
    platform::input::ClearPadKeys();
    platform::input::SetPadKey(0, VK_SPACE, 1.0f);
    people.Poll();
    EXPECT_TRUE(people.At(0).Read().throttle);
    EXPECT_FALSE(people.At(1).Read().throttle);
    EXPECT_TRUE(people.Connected(1));
    platform::input::SetPadConnected(1, false);
    EXPECT_FALSE(people.Connected(1));
    EXPECT_TRUE(people.Connected(0));
}

} // namespace
