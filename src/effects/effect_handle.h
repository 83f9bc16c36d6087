// EffectHandle: how anything outside the effect manager keeps an effect — a slot index and the
// slot's generation, never a pointer, so a handle kept past the effect's end finds nothing.
#pragma once

#include <cstdint>

struct EffectHandle {
    std::uint32_t index = 0;
    std::uint32_t generation = 0; // 0: no effect (a slot's generation is never 0)

    explicit operator bool() const { return generation != 0; }
    bool operator==(const EffectHandle&) const = default;
};
