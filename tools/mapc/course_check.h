// mapc check: the compiler's checks plus geometric ones against the course's own models.
#pragma once

#include <string>

namespace mapc {

// Checks the course text at `textPath` with the models under `modelDir`; prints a summary and one
// line per problem to stdout. Returns 0 when the course passes, 1 when it does not.
int CheckCourse(const std::string& textPath, const std::string& modelDir);

} // namespace mapc
