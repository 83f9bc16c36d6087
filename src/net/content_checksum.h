// What two machines must share to race the same race: the course's map and grid, and the flight
// itself (its constants and arithmetic), each reduced to a 64-bit FNV-1a checksum.
#pragma once

#include <cstdint>
#include <string>

#include "platform/math/d3dx_math.h"

namespace net {

// The map file's bytes with the grid's place and heading; 0 when the file cannot be read.
std::uint64_t CourseChecksum(const std::string& mapPath, const D3DXVECTOR3& start, float heading);
// A short race flown on an empty course with fixed controls: any change to the flight's constants
// or to how this build rounds its arithmetic changes it.
std::uint64_t FlightFingerprint();

} // namespace net
