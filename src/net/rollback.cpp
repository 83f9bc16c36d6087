// Rollback's bookkeeping: controls by seat and update, the ring of saved states, re-running and
// the confirmed checkpoints' hashes.
#include "net/rollback.h"

#include <algorithm>
#include <utility>

namespace net {

Rollback::Rollback(const race::Course& raceCourse, const race::RaceState& start, std::uint8_t seats,
                   std::uint8_t localSeat, std::uint32_t inputDelay)
    : course(raceCourse), state(start), people(std::min(seats, kMostPeople)), local(localSeat),
      delay(std::min(inputDelay, kMostInputDelay)) {
    for (std::uint8_t seat = 0; seat < kMostPeople; ++seat) racerOf[seat] = state.RacerOfSeat(seat);
    // Nothing was pressed before the first controls this machine reads can take effect.
    if (local < people) inputs[local].assign(state.update + delay, WireControls{});
    saved[state.update % kRing] = state;
    confirmed = state.update;
    confirmedHash = state.Hash();
}

std::uint32_t Rollback::Known(std::uint8_t seat) const {
    if (seat >= people) return kMostUpdate;
    const auto known = static_cast<std::uint32_t>(inputs[seat].size());
    if (leftAfter[seat] && known >= *leftAfter[seat]) return kMostUpdate;
    return known;
}

bool Rollback::Receive(std::uint8_t seat, std::uint32_t update, const WireControls& controls) {
    if (seat >= people || seat == local || update == 0 || update > state.update + kInputWindow) return false;
    if (leftAfter[seat] && update > *leftAfter[seat]) return true;
    const auto known = static_cast<std::uint32_t>(inputs[seat].size());
    if (update <= known) return true;
    if (update != known + 1) return false;
    inputs[seat].push_back(controls);
    return true;
}

void Rollback::Leave(std::uint8_t seat, std::uint32_t after) {
    if (seat >= people || seat == local || leftAfter[seat]) return;
    // Controls already known past the end no longer count.
    if (inputs[seat].size() > after) inputs[seat].resize(after);
    leftAfter[seat] = after;
    // The racer is handed to its pilot from the next update on, guessed right or not.
    if (after < state.update) forceFrom = std::min(forceFrom.value_or(after + 1), after + 1);
}

// Known controls where there are some; otherwise the seat's last known levels, without presses.
Rollback::Row Rollback::ControlsFor(std::uint32_t update) const {
    Row row{};
    for (std::uint8_t seat = 0; seat < people; ++seat) {
        if (racerOf[seat] < 0) continue;
        const std::vector<WireControls>& known = inputs[seat];
        race::Controls controls;
        if (leftAfter[seat] && update > *leftAfter[seat]) {
            // gone: its racer's automatic pilot flies (set in StepOne); nothing pressed
        } else if (update <= known.size()) {
            controls = FromWire(known[update - 1]);
        } else if (!known.empty()) {
            controls = FromWire(known.back());
            controls.togglePilot = false;
            controls.swapNose = false;
        }
        row[static_cast<std::size_t>(racerOf[seat])] = controls;
    }
    return row;
}

race::RaceEvents Rollback::StepOne() {
    const std::uint32_t update = state.update + 1;
    const Row row = ControlsFor(update);
    for (std::uint8_t seat = 0; seat < people; ++seat)
        if (leftAfter[seat] && update > *leftAfter[seat] && racerOf[seat] >= 0)
            state.racers[static_cast<std::size_t>(racerOf[seat])].autoPilot = 1;
    const race::RaceEvents events =
        race::Step(state, course, std::span<const race::Controls>(row.data(), state.racerCount));
    saved[update % kRing] = state;
    used[update % kRing] = row;
    return events;
}

void Rollback::Correct() {
    rollbacks = 0;
    depth = 0;
    const std::uint32_t present = state.update;
    for (std::uint32_t update = confirmed + 1; update <= present; ++update) {
        if (update != forceFrom.value_or(0) && ControlsFor(update) == used[update % kRing]) continue;
        state = saved[(update - 1) % kRing];
        while (state.update < present) StepOne();
        rollbacks = 1;
        depth = present - update + 1;
        ++totalRollbacks;
        totalDepth += depth;
        break;
    }
    forceFrom.reset();
    Confirm();
    Compare();
}

void Rollback::Confirm() {
    std::uint32_t upTo = state.update;
    for (std::uint8_t seat = 0; seat < people; ++seat) upTo = std::min(upTo, Known(seat));
    if (upTo <= confirmed) return;
    for (std::uint32_t update = confirmed + 1; update <= upTo; ++update) {
        if (update % kHashEvery != 0) continue;
        const race::RaceState& at = saved[update % kRing];
        const std::uint64_t hash = at.Hash();
        outgoing.push_back(HashCheck{update, hash});
        ownHashes[update] = hash;
        checkedStates[update] = at;
        if (ownHashes.size() > kKeptChecks) ownHashes.erase(ownHashes.begin());
        if (checkedStates.size() > 4) checkedStates.erase(checkedStates.begin());
    }
    confirmed = upTo;
    confirmedHash = saved[confirmed % kRing].Hash();
}

bool Rollback::MayStep(std::uint32_t slowest) const {
    if (state.update - confirmed >= kMostGuessed) return false;
    return state.update + 1 <= slowest + kMostAhead;
}

race::RaceEvents Rollback::Step(const race::Controls& controls) {
    if (local < people) inputs[local].push_back(ToWire(controls));
    return StepOne();
}

std::vector<HashCheck> Rollback::TakeHashes() { return std::exchange(outgoing, {}); }

void Rollback::CheckHash(std::uint32_t from, const HashCheck& theirs) {
    if (pending.size() >= kKeptChecks) pending.erase(pending.begin());
    pending.push_back(Theirs{from, theirs});
    Compare();
}

void Rollback::Compare() {
    std::erase_if(pending, [&](const Theirs& t) {
        const auto own = ownHashes.find(t.check.update);
        if (own == ownHashes.end()) return t.check.update + kKeptChecks * kHashEvery < confirmed; // too old to check
        if (own->second != t.check.hash && !desync) desync = t.check.update;
        return true;
    });
}

const race::RaceState* Rollback::CheckedState(std::uint32_t update) const {
    const auto it = checkedStates.find(update);
    return it == checkedStates.end() ? nullptr : &it->second;
}

SeatInputs Rollback::InputsFrom(std::uint8_t seat, std::uint32_t from) const {
    SeatInputs out;
    out.seat = seat;
    out.first = std::max<std::uint32_t>(from, 1);
    if (seat >= people) return out;
    const std::vector<WireControls>& known = inputs[seat];
    std::uint32_t update = out.first;
    for (std::uint32_t total = 0; update <= known.size() && total < kMostUpdatesPerMessage; ++update, ++total) {
        const WireControls& c = known[update - 1];
        if (!out.runs.empty() && out.runs.back().controls == c && out.runs.back().length < 255)
            ++out.runs.back().length;
        else if (out.runs.size() < kMostRuns) out.runs.push_back({1, c});
        else break;
    }
    return out;
}

bool Rollback::ChangedAfter(std::uint8_t seat, std::uint32_t update) const {
    if (seat >= people) return false;
    const std::vector<WireControls>& known = inputs[seat];
    const WireControls there = update >= 1 && update <= known.size() ? known[update - 1] : WireControls{};
    for (std::size_t at = update; at < known.size(); ++at)
        if (!(known[at] == there)) return true;
    return false;
}

} // namespace net
