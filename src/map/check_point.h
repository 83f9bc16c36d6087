// CheckPoint: one gate of the course, shown by a magic circle coloured by how soon it is due.
#pragma once

#include <cstdint>

#include "effects/effect_handle.h"
#include "map/map_object.h"

// A checkpoint's colour walking toward its state's colour: the gate's own, and each split-screen
// view's copy for its person.
struct CheckPointColour {
    std::int32_t state = 2; // CheckPoint::kOther
    std::int32_t red = 255, green = 255, blue = 255;
    bool fading = false;

    // The colour checkpoint `number` starts a race with.
    static CheckPointColour Initial(std::int32_t number);
    // The state for a person whose next checkpoint is `next`; a new state starts a fade.
    void Aim(std::int32_t number, std::int32_t next);
    // One update of the fade.
    void Step();
};

// The gate's own colour is the CheckPointColour it inherits; it starts black until the circle is made.
class CheckPoint : public NEditer::MapObject, public CheckPointColour {
public:
    // Colour states: the one to reach now, the one after it, any other.
    static constexpr std::int32_t kCurrent = 0;
    static constexpr std::int32_t kNext = 1;
    static constexpr std::int32_t kOther = 2;

    void Init() override;
    void Update() override;

    CheckPoint() { red = green = blue = 0; }

    EffectHandle effect; // the "magiccircle"
};
