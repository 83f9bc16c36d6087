// The desync report: two machines' states of the same confirmed update, every field where they
// differ, as JSON a person can read (desync-UPDATE.json).
#pragma once

#include <cstdint>
#include <string>

#include "race/race_state.h"

namespace net {

std::string DesyncReport(std::uint32_t update, const race::RaceState& here, const std::string& hereName,
                         const race::RaceState& there, const std::string& thereName);
// The report's file name for an update.
std::string DesyncFileName(std::uint32_t update);

} // namespace net
