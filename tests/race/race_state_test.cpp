// The race state as bytes: saving, loading, hashing and naming differences; and the pilot's fixed queue.
#include <gtest/gtest.h>

#include <string>

#include "race/race_state.h"
#include "race/step.h"

namespace {

using race::RaceState;

// A state with something in every kind of field: a race under way, a queue of waypoints.
RaceState Underway() {
    RaceState state = race::NewRace(race::Course{}, race::Grid{}, Difficulty::Hard, 3);
    state.update = 400;
    state.countdownDone = state.started = true;
    state.racers[2].speed = 1.25f;
    state.racers[3].waypoints.push_back({1.0f, 2.0f, 3.0f});
    state.racers[3].boosting = true;
    return state;
}

TEST(RaceStateBytes, SaveThenLoadGivesTheSameState) {
    const RaceState saved = Underway();
    RaceState loaded;
    std::string error;
    ASSERT_TRUE(loaded.Load(saved.Save(), &error)) << error;
    EXPECT_EQ(loaded.Hash(), saved.Hash());
    EXPECT_EQ(RaceState::FirstDifference(loaded, saved), "");
    EXPECT_EQ(loaded.Save(), saved.Save());
    EXPECT_NE(RaceState{}.Hash(), saved.Hash());
}

TEST(RaceStateBytes, LoadRefusesBrokenBytesAndKeepsTheState) {
    const std::string good = Underway().Save();
    std::string truncated = good.substr(0, good.size() - 1);
    std::string longer = good + '\0';
    std::string badMagic = good;
    badMagic[0] = 'X';
    // the first bool, after the magic and two 32-bit counters, holds only 0 or 1
    std::string badBool = good;
    const std::size_t countdownDone = 8 + 4 + 4;
    ASSERT_EQ(badBool[countdownDone], 1);
    badBool[countdownDone] = 2;
    std::string tooManyRacers = good;
    const std::size_t racerCount = countdownDone + 1 + 1 + 4 + 4 + 1 + 8;
    ASSERT_EQ(tooManyRacers[racerCount], 5);
    tooManyRacers[racerCount] = 9;
    std::string magicOnly = good.substr(0, 8);

    RaceState kept;
    kept.update = 7;
    kept.racers[1].yaw = 90.0f;
    const std::uint64_t before = kept.Hash();
    for (const std::string* bytes : {&truncated, &longer, &badMagic, &badBool, &tooManyRacers, &magicOnly}) {
        std::string error;
        EXPECT_FALSE(kept.Load(*bytes, &error)) << bytes->size();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(kept.Hash(), before);
    }
    std::string error;
    kept.Load(badBool, &error);
    EXPECT_NE(error.find("countdownDone"), std::string::npos) << error;
}

TEST(RaceStateBytes, FirstDifferenceNamesTheField) {
    RaceState a = Underway(), b = Underway();
    b.racers[2].speed = 1.5f;
    b.racers[4].yaw = 1.0f;
    EXPECT_EQ(RaceState::FirstDifference(a, b), "racers[2].speed");
    EXPECT_NE(a.Hash(), b.Hash());
    b = a;
    b.clockUpdates = 9;
    EXPECT_EQ(RaceState::FirstDifference(a, b), "clockUpdates");
}

// The queue is full: a point pushed at the back is dropped, one pushed at the front drops the deepest.
TEST(WaypointList, KeepsItsFrontEntriesWhenFull) {
    race::WaypointList list;
    auto point = [](int i) { return D3DXVECTOR3{static_cast<float>(i), 0.0f, 0.0f}; };
    for (int i = 0; i < race::WaypointList::kCapacity; ++i) list.push_back(point(i));
    list.push_back(point(99));
    ASSERT_EQ(list.size(), race::WaypointList::kCapacity);
    EXPECT_EQ(list[race::WaypointList::kCapacity - 1], point(race::WaypointList::kCapacity - 1));

    list.push_front(point(-1));
    ASSERT_EQ(list.size(), race::WaypointList::kCapacity);
    EXPECT_EQ(list.front(), point(-1));
    EXPECT_EQ(list[1], point(0));
    EXPECT_EQ(list[race::WaypointList::kCapacity - 1], point(race::WaypointList::kCapacity - 2));

    list.pop_front();
    EXPECT_EQ(list.size(), race::WaypointList::kCapacity - 1);
    EXPECT_EQ(list.front(), point(0));
}

} // namespace
