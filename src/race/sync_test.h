// SyncTest: proof that the race can be rewound. After every update it loads the state saved
// `depth` updates ago and steps those updates again with the same controls; every re-run update must
// give the same state, bit for bit, as the first run did. A difference names the update and the
// first field that differs — a part of the race that lives outside the state, or a step that reads
// something it should not.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "race/controls.h"
#include "race/course.h"
#include "race/race_state.h"

namespace race {

class SyncTest {
public:
    explicit SyncTest(std::uint32_t updatesBack) : depth(updatesBack) {}

    // Just before an update: the state as it stands and the controls the update is given.
    void Before(const RaceState& state, std::span<const Controls> controls);
    // Just after it. False when re-running the remembered updates gave another state; `report` then
    // names the update ("update 812") and the field.
    bool After(const RaceState& state, const Course& course, std::string* report);

private:
    struct Update {
        std::string before; // the state saved before the update
        std::vector<Controls> controls;
    };
    std::uint32_t depth;
    std::deque<Update> updates;
};

} // namespace race
