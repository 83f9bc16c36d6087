// The synctest: save, step, load, step again, compare.
#include "race/sync_test.h"

#include "race/step.h"

namespace race {

void SyncTest::Before(const RaceState& state, std::span<const Controls> controls) {
    updates.push_back(Update{state.Save(), std::vector<Controls>(controls.begin(), controls.end())});
    while (updates.size() > depth) updates.pop_front();
}

bool SyncTest::After(const RaceState& state, const Course& course, std::string* report) {
    if (updates.empty()) return true;
    RaceState again;
    std::string error;
    if (!again.Load(updates.front().before, &error)) {
        *report = "a saved state does not load: " + error;
        return false;
    }
    for (std::size_t i = 0; i < updates.size(); ++i) {
        Step(again, course, updates[i].controls);
        RaceState first;
        if (i + 1 < updates.size()) first.Load(updates[i + 1].before);
        else first = state;
        if (again.Hash() == first.Hash()) continue;
        const std::string field = RaceState::FirstDifference(first, again);
        *report = "update " + std::to_string(first.update) + ": " + (field.empty() ? "the hash" : field) +
                  " differs when the update is stepped again from the state saved " +
                  std::to_string(updates.size() - i) + " update(s) before";
        return false;
    }
    return true;
}

} // namespace race
