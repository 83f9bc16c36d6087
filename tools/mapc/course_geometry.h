// mapc check: the compiler's checks plus geometric ones against the course's own models.
#pragma once

#include <string>

namespace mapc {

// Checks the course text at `textPath` with the models under `modelDir`: everything `compile`
// refuses, then the geometry. Prints a summary and one line per problem to stdout; returns 0 when
// the course passes, 1 when it does not.
int CheckCourseGeometry(const std::string& textPath, const std::string& modelDir);

} // namespace mapc
