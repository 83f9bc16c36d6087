// RaceRandom: the race's own random numbers, part of the race state so that saving and loading a
// race brings its generator along. Nothing outside the race draws from it, and it never draws from
// the C library's process-wide generator.
#pragma once

#include <cstdint>

namespace race {

// PCG32 (O'Neill's permuted congruential generator, XSH RR output): 64 bits of state, a fixed
// stream, and the same numbers on every compiler and machine.
class RaceRandom {
public:
    RaceRandom() { Seed(1); }
    explicit RaceRandom(std::uint64_t seed) { Seed(seed); }

    void Seed(std::uint64_t seed) {
        state = 0;
        Next();
        state += seed;
        Next();
    }

    std::uint32_t Next() {
        const std::uint64_t old = state;
        state = old * kMultiplier + kIncrement;
        const auto xorShifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
        const auto rotation = static_cast<std::uint32_t>(old >> 59u);
        return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
    }

    // 0 .. bound - 1 without modulo bias; 0 for a bound of 0.
    std::uint32_t Below(std::uint32_t bound) {
        if (bound == 0) return 0;
        const std::uint32_t threshold = (0u - bound) % bound;
        for (;;) {
            const std::uint32_t r = Next();
            if (r >= threshold) return r % bound;
        }
    }

    // 0 <= u < 1 in steps of 2^-24, so every number is exact in a float on every machine.
    float Unit() { return static_cast<float>(Next() >> 8u) * (1.0f / 16777216.0f); }

    std::uint64_t state = 0;

private:
    static constexpr std::uint64_t kMultiplier = 6364136223846793005ull;
    static constexpr std::uint64_t kIncrement = 1442695040888963407ull;
};

} // namespace race
