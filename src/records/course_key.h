// The one place that says which course is being raced: its map file and the id records are kept by.
#pragma once

#include <cstdint>
#include <string>

#include "race/difficulty.h"
#include "race/race_mode.h"

namespace records {

// What a record and a ghost are filed and checked under.
struct CourseKey {
    std::string course;            // the map file's stem: "map2"
    std::string difficulty;        // the record's class: "normal", "trial", "normal-championship"
    std::uint64_t mapChecksum = 0; // of the map file's bytes (0 when it cannot be read)
};

// The map file of the course chosen to race.
std::string CourseMapPath();
// The chosen course's id ("map2" for data/Map/map2.map): records and ghosts are filed under it.
std::string CourseId();
// Checksum of the chosen course's map file (0 when it cannot be read): a ghost or time flown on
// another map is worthless even under the same id.
std::uint64_t CourseMapChecksum();
// The chosen course in the record class `difficulty` (RecordClass).
CourseKey ChosenCourseKey(const std::string& difficulty);
// What a mode's records are kept under besides the course: the level in the game's own race
// ("normal"), "trial" in a time trial (no rivals), the level then "-championship" in the
// championship. File names end in it ("map2-trial.record"), so a Race file always ends in a level
// and no two modes share one; the files carry it as their difficulty.
std::string RecordClass(RaceMode mode, Difficulty level);

} // namespace records
