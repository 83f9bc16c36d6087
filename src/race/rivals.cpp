// The four witches, always in the same grid order.
#include "race/rivals.h"

namespace race {

namespace {
constexpr std::array<Rival, kRivalCount> kWitches = {{
    {"Velka", 0xFF3C78FF},
    {"Mirro", 0xFFFF40FF},
    {"Tansy", 0xFF40E040},
    {"Ysolde", 0xFFFFD040},
}};
} // namespace

std::array<Rival, kRivalCount> RivalsFor(RivalKind, Difficulty) { return kWitches; }

} // namespace race
