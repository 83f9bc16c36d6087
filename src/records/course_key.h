// The one place that says which course is being raced: its map file and the id records are kept by.
#pragma once

#include <cstdint>
#include <string>

namespace records {

// What a record and a ghost are filed and checked under.
struct CourseKey {
    std::string course;            // the map file's stem: "map2"
    std::string difficulty;        // "normal"
    std::uint64_t mapChecksum = 0; // of the map file's bytes (0 when it cannot be read)
};

// The map file of the course chosen to race.
std::string CourseMapPath();
// The chosen course's id ("map2" for data/Map/map2.map): records and ghosts are filed under it.
std::string CourseId();
// Checksum of the chosen course's map file (0 when it cannot be read): a ghost or time flown on
// another map is worthless even under the same id.
std::uint64_t CourseMapChecksum();
// The chosen course at `difficulty`.
CourseKey ChosenCourseKey(const std::string& difficulty);

} // namespace records
