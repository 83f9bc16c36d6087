// Finishing times, standings and the keyboard racer's splits, watched from outside the racers.
#include "scenes/race_results.h"

#include <algorithm>

#include "player/player.h"

void RaceResults::Start(std::size_t racerCount) {
    started = true;
    updates = 0;
    finishMs.assign(racerCount, 0);
    splits.clear();
    lastPassMs = 0;
    keyboardNext = 0;
}

void RaceResults::Observe(const std::vector<std::shared_ptr<Player>>& racers, std::uint32_t nowMs,
                          std::uint32_t keyboardClockMs) {
    if (!started) return;
    ++updates;
    if (finishMs.size() < racers.size()) finishMs.resize(racers.size(), 0);
    // A racer may finish in the very first millisecond only in theory; 0 stays "flying".
    const std::uint32_t now = std::max<std::uint32_t>(nowMs, 1);
    for (std::size_t i = 1; i < racers.size(); ++i)
        if (racers[i]->finished && finishMs[i] == 0) finishMs[i] = now;
    if (racers.empty() || KeyboardFinished()) return;

    // A passed checkpoint moves the keyboard racer's target on (back to 0 at the finish).
    const Player& keyboard = *racers[0];
    if (keyboard.nextCheckPoint != keyboardNext || keyboard.finished) {
        const std::uint32_t at = keyboard.finished ? std::max<std::uint32_t>(keyboardClockMs, 1) : now;
        splits.push_back(at - std::min(at, lastPassMs));
        lastPassMs = at;
        keyboardNext = keyboard.nextCheckPoint;
        if (keyboard.finished) finishMs[0] = at;
    }
}

bool RaceResults::LastSplit(Split* split) const {
    if (splits.empty()) return false;
    *split = Split{splits.size() - 1, splits.back(), lastPassMs};
    return true;
}

std::vector<RaceResults::Standing> RaceResults::Standings(const std::vector<std::shared_ptr<Player>>& racers) const {
    std::vector<Standing> table;
    for (std::size_t i = 0; i < racers.size(); ++i) {
        const std::uint32_t time = i < finishMs.size() ? finishMs[i] : 0;
        table.push_back(Standing{i, 0, time > 0, time});
    }
    auto ahead = [&racers](const Standing& a, const Standing& b) {
        if (a.finished != b.finished) return a.finished;
        if (a.finished) return a.timeMs < b.timeMs;
        const Player& p = *racers[a.racer];
        const Player& q = *racers[b.racer];
        if (p.nextCheckPoint != q.nextCheckPoint) return p.nextCheckPoint > q.nextCheckPoint;
        return p.distanceToNext < q.distanceToNext;
    };
    std::stable_sort(table.begin(), table.end(), ahead);
    for (std::size_t k = 0; k < table.size(); ++k) table[k].place = static_cast<std::int32_t>(k + 1);
    return table;
}
