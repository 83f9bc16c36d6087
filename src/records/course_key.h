// The one place that says which course is being raced: its map file and the id records are kept by.
#pragma once

#include <cstdint>
#include <string>

namespace records {

// The map file of the course being raced.
std::string CourseMapPath();
// The map file's stem ("map2" for data/Map/map2.map): records and ghosts are filed under it.
std::string CourseId();
// Checksum of the map file's bytes (0 when it cannot be read): a ghost flown on another map is
// worthless even under the same id.
std::uint64_t CourseMapChecksum();

} // namespace records
