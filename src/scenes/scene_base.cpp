// The seeds of a run's races.
#include "scenes/scene_base.h"

std::uint64_t RaceSeeds::Next() {
    // SplitMix64 of the base and the race's number: neighbouring races get unrelated seeds.
    std::uint64_t z = base + 0x9E3779B97F4A7C15ull * (static_cast<std::uint64_t>(racesStarted++) + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
