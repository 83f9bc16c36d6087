// Finishing times, standings and the keyboard racer's splits, watched from outside the racers.
#include "scenes/race_results.h"

#include <algorithm>

void RaceResults::Start(std::size_t racerCount) {
    started = true;
    updates = 0;
    finishMs.assign(racerCount, 0);
    splits.clear();
    lastPassMs = 0;
    keyboardNext = 0;
    keyboardMs = 0;
}

void RaceResults::Observe(const race::RaceState& race, std::int32_t person) {
    if (!started) return;
    ++updates;
    if (finishMs.size() < race.racerCount) finishMs.resize(race.racerCount, 0);
    // A racer may finish in the very first millisecond only in theory; 0 stays "flying".
    const std::uint32_t now = std::max<std::uint32_t>(race.raceUpdates * race::kUpdateMs, 1);
    for (std::size_t i = 0; i < race.racerCount; ++i)
        if (static_cast<std::int32_t>(i) != person && race.racers[i].finished && finishMs[i] == 0) finishMs[i] = now;
    if (person < 0 || static_cast<std::size_t>(person) >= race.racerCount || KeyboardFinished()) return;

    // A passed checkpoint moves the person's target on (back to 0 at the finish); the finish is
    // timed by the race clock, which stopped there.
    const race::RacerState& keyboard = race.racers[static_cast<std::size_t>(person)];
    if (keyboard.nextCheckPoint != keyboardNext || keyboard.finished) {
        const std::uint32_t at = keyboard.finished ? std::max<std::uint32_t>(race.ClockMs(), 1) : now;
        splits.push_back(at - std::min(at, lastPassMs));
        lastPassMs = at;
        keyboardNext = keyboard.nextCheckPoint;
        if (keyboard.finished) keyboardMs = finishMs[static_cast<std::size_t>(person)] = at;
    }
}

bool RaceResults::LastSplit(Split* split) const {
    if (splits.empty()) return false;
    *split = Split{splits.size() - 1, splits.back(), lastPassMs};
    return true;
}

std::vector<RaceResults::Standing> RaceResults::Standings(const race::RaceState& race) const {
    std::vector<Standing> table;
    for (std::size_t i = 0; i < race.racerCount; ++i) {
        const std::uint32_t time = i < finishMs.size() ? finishMs[i] : 0;
        table.push_back(Standing{i, 0, time > 0, time});
    }
    auto ahead = [&race](const Standing& a, const Standing& b) {
        if (a.finished != b.finished) return a.finished;
        if (a.finished) return a.timeMs < b.timeMs;
        const race::RacerState& p = race.racers[a.racer];
        const race::RacerState& q = race.racers[b.racer];
        if (p.nextCheckPoint != q.nextCheckPoint) return p.nextCheckPoint > q.nextCheckPoint;
        return p.distanceToNext < q.distanceToNext;
    };
    std::stable_sort(table.begin(), table.end(), ahead);
    for (std::size_t k = 0; k < table.size(); ++k) table[k].place = static_cast<std::int32_t>(k + 1);
    return table;
}
