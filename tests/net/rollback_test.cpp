// Rollback without sockets: machines that hear each other late still agree on every confirmed
// update, a departed seat's racer is flown by its pilot from the same update everywhere, and a
// differing hash is caught.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

#include "net/rollback.h"
#include "support/race_fixture.h"

namespace {

constexpr std::uint8_t kPeople = 3;

race::Course SmallCourse() {
    race::Course course;
    course.checkPoints = {{{700.0f, 50.0f, -1020.0f}, 10.0f}, {{650.0f, 60.0f, -980.0f}, 10.0f}};
    return course;
}

race::RaceState Start(const race::Course& course) {
    race::Grid grid;
    grid.seats[1] = 1;
    grid.seats[2] = 2;
    return race::NewRace(course, grid, Difficulty::Normal, 5);
}

// Each seat weaves its own way and takes the pilot for a while: plenty for guesses to get wrong.
race::Controls Script(std::uint8_t seat, std::uint32_t update) {
    race::Controls c;
    c.throttle = (update / (7 + seat)) % 3 != 0;
    c.turn = ((update / (11 + 2 * seat)) % 2) ? 1.0f : -1.0f;
    c.pitch = ((update / (5 + seat)) % 4 == 0) ? 0.5f : 0.0f;
    c.togglePilot = update == 200u + 40u * seat || update == 260u + 40u * seat;
    return c;
}

struct Machines {
    race::Course course = SmallCourse();
    std::vector<std::unique_ptr<net::Rollback>> all;
    explicit Machines(std::uint32_t delay) {
        for (std::uint8_t seat = 0; seat < kPeople; ++seat)
            all.push_back(std::make_unique<net::Rollback>(course, Start(course), kPeople, seat, delay));
    }
    // Every machine hears the others' controls known `lag` ticks ago.
    void Run(std::uint32_t ticks, std::uint32_t lag) {
        std::deque<std::vector<net::SeatInputs>> inFlight;
        for (std::uint32_t tick = 0; tick < ticks; ++tick) {
            std::vector<net::SeatInputs> sent;
            for (auto& m : all) {
                m->Correct();
                if (m->MayStep(m->Current())) m->Step(Script(m->LocalSeat(), m->Current() + 1));
                sent.push_back(m->InputsFrom(m->LocalSeat(), m->Current() > 40 ? m->Current() - 40 : 1));
            }
            inFlight.push_back(sent);
            if (inFlight.size() > lag) {
                Deliver(inFlight.front());
                inFlight.pop_front();
            }
        }
        while (!inFlight.empty()) {
            Deliver(inFlight.front());
            inFlight.pop_front();
        }
        for (auto& m : all) m->Correct();
    }
    void Deliver(const std::vector<net::SeatInputs>& sent) {
        for (auto& m : all)
            for (const net::SeatInputs& from : sent) {
                if (from.seat == m->LocalSeat() || m->Left(from.seat)) continue;
                std::uint32_t update = from.first;
                for (const auto& run : from.runs)
                    for (int i = 0; i < run.length; ++i) EXPECT_TRUE(m->Receive(from.seat, update++, run.controls));
            }
    }
};

TEST(Rollback, LateMachinesAgreeOnEveryConfirmedUpdate) {
    Machines machines(1);
    machines.Run(400, 6);
    const net::Rollback& first = *machines.all[0];
    EXPECT_GT(first.totalRollbacks, 0u);
    EXPECT_LE(first.totalDepth, first.totalRollbacks * net::kMostGuessed);
    for (auto& m : machines.all) {
        EXPECT_EQ(m->Confirmed(), m->Current());
        EXPECT_EQ(m->Current(), first.Current());
        EXPECT_EQ(race::RaceState::FirstDifference(m->State(), first.State()), "");
        for (const net::HashCheck& check : m->TakeHashes())
            for (auto& other : machines.all) other->CheckHash(m->LocalSeat(), check);
    }
    for (auto& m : machines.all) EXPECT_FALSE(m->Desync());

    // The same race stepped straight, every seat's controls known from the start, ends the same.
    race::RaceState straight = Start(machines.course);
    while (straight.update < first.Current()) {
        const std::uint32_t update = straight.update + 1;
        std::array<race::Controls, race::RaceState::kMostRacers> row{};
        for (std::uint8_t seat = 0; seat < kPeople; ++seat)
            if (update > 1) row[seat] = net::FromWire(net::ToWire(Script(seat, update - 1)));
        race::Step(straight, machines.course, std::span<const race::Controls>(row.data(), straight.racerCount));
    }
    EXPECT_EQ(race::RaceState::FirstDifference(straight, first.State()), "");
    EXPECT_EQ(straight.Hash(), first.ConfirmedHash());
}

TEST(Rollback, AGuessTooFarAheadWaits) {
    Machines machines(0);
    net::Rollback& alone = *machines.all[0];
    std::uint32_t stepped = 0;
    for (int i = 0; i < 100; ++i) {
        alone.Correct();
        if (alone.MayStep(alone.Current())) alone.Step(Script(0, ++stepped));
    }
    EXPECT_EQ(alone.Current(), net::kMostGuessed);
    EXPECT_FALSE(alone.MayStep(1000));
    // Nor does a machine run more than the window ahead of the slowest machine's update.
    Machines fresh(0);
    net::Rollback& quick = *fresh.all[0];
    while (quick.MayStep(0)) quick.Step({});
    EXPECT_EQ(quick.Current(), net::kMostAhead);
    EXPECT_TRUE(quick.MayStep(1));
}

TEST(Rollback, ADepartedSeatFliesItselfFromTheSameUpdateEverywhere) {
    Machines machines(1);
    machines.Run(120, 4);
    // Seat 2's machine stops; the others are told its controls end at update 100.
    machines.all.pop_back();
    for (auto& m : machines.all) m->Leave(2, 100);
    machines.Run(100, 4);
    const net::Rollback& a = *machines.all[0];
    const net::Rollback& b = *machines.all[1];
    EXPECT_EQ(a.Confirmed(), a.Current());
    EXPECT_EQ(race::RaceState::FirstDifference(a.State(), b.State()), "");
    EXPECT_EQ(a.State().racers[2].autoPilot, 1);
    // Controls claimed for the departed seat, or for this machine's own, change nothing.
    net::Rollback& c = *machines.all[0];
    EXPECT_TRUE(c.Receive(2, c.Current(), net::ToWire({true, true, 1.0f, 1.0f, true, false})));
    EXPECT_FALSE(c.Receive(0, c.Current(), {}));
    EXPECT_FALSE(c.Receive(1, c.Current() + net::kInputWindow + 1, {}));
    const std::uint64_t before = c.State().Hash();
    c.Correct();
    EXPECT_EQ(c.State().Hash(), before);
}

TEST(Rollback, ADifferingHashIsCaughtWithTheStateKept) {
    Machines machines(1);
    machines.Run(100, 2);
    net::Rollback& m = *machines.all[0];
    const std::vector<net::HashCheck> hashes = m.TakeHashes();
    ASSERT_FALSE(hashes.empty());
    m.CheckHash(1, hashes.front());
    EXPECT_FALSE(m.Desync());
    m.CheckHash(1, net::HashCheck{hashes.back().update, hashes.back().hash ^ 1});
    ASSERT_TRUE(m.Desync());
    EXPECT_EQ(*m.Desync(), hashes.back().update);
    ASSERT_NE(m.CheckedState(hashes.back().update), nullptr);
    EXPECT_EQ(m.CheckedState(hashes.back().update)->Hash(), hashes.back().hash);
}

} // namespace
