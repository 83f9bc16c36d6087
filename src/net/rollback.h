// Rollback: one machine's view of an online race, without sockets. It steps the race at once with
// its own seat's controls and a guess for every other seat (the last controls known of it, without
// its presses); when the real controls arrive and differ from the guess, it loads the state saved
// before the first wrong update and steps again to the present. Updates whose controls are all
// known are confirmed; every 30th confirmed update's hash is compared with the other machines'.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "net/messages.h"
#include "race/course.h"
#include "race/race_state.h"
#include "race/step.h"

namespace net {

inline constexpr std::uint32_t kHashEvery = 30;
// A machine more than this many updates ahead of the slowest machine waits for it.
inline constexpr std::uint32_t kMostAhead = 8;
// Updates stepped on guesses; beyond this the machine waits, so a rollback never goes deeper.
inline constexpr std::uint32_t kMostGuessed = 24;
inline constexpr std::uint32_t kMostInputDelay = 4;
// Controls said to be for an update further ahead of this machine than this are refused.
inline constexpr std::uint32_t kInputWindow = 128;

class Rollback {
public:
    // `start` is the race on its grid; `people` seats, this machine's is `localSeat`. Controls read
    // now go to the update `inputDelay` after the one about to be stepped.
    Rollback(const race::Course& course, const race::RaceState& start, std::uint8_t people, std::uint8_t localSeat,
             std::uint32_t inputDelay);

    // Another machine's controls for `seat` at `update`. Known ones are ignored; false for this
    // machine's own seat, an unknown seat, a gap after the known ones or an update out of the window.
    bool Receive(std::uint8_t seat, std::uint32_t update, const WireControls& controls);
    // The seat's machine is gone: its controls end at `after`; from the next update its racer flies itself.
    void Leave(std::uint8_t seat, std::uint32_t after);
    bool Left(std::uint8_t seat) const { return seat < kMostPeople && leftAfter[seat].has_value(); }

    // Steps again from the first update whose guess the controls known now prove wrong; then confirms
    // what can be and hashes the confirmed checkpoints. Each frame, before Step.
    void Correct();
    // Whether the next update may be stepped, `slowest` being the update the slowest other machine
    // is thought to have reached.
    bool MayStep(std::uint32_t slowest) const;
    // The next update, with this machine's controls read now; the events it reported.
    race::RaceEvents Step(const race::Controls& local);

    const race::RaceState& State() const { return state; }
    std::uint32_t Current() const { return state.update; }
    std::uint32_t Confirmed() const { return confirmed; }
    std::uint64_t ConfirmedHash() const { return confirmedHash; }
    // The seat's controls are known up to this update (a seat that left: all of them).
    std::uint32_t Known(std::uint8_t seat) const;
    std::uint8_t People() const { return people; }
    std::uint8_t LocalSeat() const { return local; }
    // The seat's known controls from `from` on (at most kMostUpdatesPerMessage), as runs.
    SeatInputs InputsFrom(std::uint8_t seat, std::uint32_t from) const;
    // Whether the seat's known controls after `update` hold any that differ from its controls there
    // (from none held, at 0).
    bool ChangedAfter(std::uint8_t seat, std::uint32_t update) const;

    // The last Correct: 1 when it stepped again, and how many updates.
    std::uint32_t rollbacks = 0;
    std::uint32_t depth = 0;
    std::uint64_t totalRollbacks = 0;
    std::uint64_t totalDepth = 0;

    // Hashes of confirmed checkpoints not yet handed out (to send to the other machines).
    std::vector<HashCheck> TakeHashes();
    // Another machine's hash (`from` tells machines apart); compared now or once this machine confirms it.
    void CheckHash(std::uint32_t from, const HashCheck& theirs);
    // The first checkpoint where the hashes differed, and the state this machine had there.
    std::optional<std::uint32_t> Desync() const { return desync; }
    const race::RaceState* CheckedState(std::uint32_t update) const;

private:
    using Row = std::array<race::Controls, race::RaceState::kMostRacers>;
    static constexpr std::uint32_t kRing = 32;
    static constexpr std::size_t kKeptChecks = 64;

    Row ControlsFor(std::uint32_t update) const;
    race::RaceEvents StepOne();
    void Confirm();
    void Compare();

    const race::Course& course;
    race::RaceState state;
    std::uint8_t people;
    std::uint8_t local;
    std::uint32_t delay;
    std::array<std::vector<WireControls>, kMostPeople> inputs{}; // [seat][update - 1]
    std::array<std::optional<std::uint32_t>, kMostPeople> leftAfter{};
    std::optional<std::uint32_t> forceFrom; // an update to step again even if its controls look alike
    std::array<std::int32_t, kMostPeople> racerOf{};
    std::array<race::RaceState, kRing> saved{}; // saved[u % kRing]: the state after update u
    std::array<Row, kRing> used{};              // used[u % kRing]: the controls update u was stepped with
    std::uint32_t confirmed = 0;
    std::uint64_t confirmedHash = 0;
    std::vector<HashCheck> outgoing;
    std::map<std::uint32_t, std::uint64_t> ownHashes;
    std::map<std::uint32_t, race::RaceState> checkedStates;
    struct Theirs {
        std::uint32_t from;
        HashCheck check;
    };
    std::vector<Theirs> pending;
    std::optional<std::uint32_t> desync;
};

} // namespace net
