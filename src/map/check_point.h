// CheckPoint: one gate of the course, shown by a magic circle coloured by how soon it is due.
#pragma once

#include <cstdint>

#include "effects/effect_handle.h"
#include "map/map_object.h"

class CheckPoint : public NEditer::MapObject {
public:
    // Colour states: the one to reach now, the one after it, any other.
    static constexpr std::int32_t kCurrent = 0;
    static constexpr std::int32_t kNext = 1;
    static constexpr std::int32_t kOther = 2;

    void Init() override;
    void Update() override;

    EffectHandle effect; // the "magiccircle"
    std::int32_t state = kOther;
    std::int32_t red = 0, green = 0, blue = 0;
    bool fading = false;
};
