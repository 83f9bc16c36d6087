// PlayerMCircle: the flat circle under the keyboard racer; follows, yaws and pitches with it and spins.
#pragma once

#include "effects/base_effect.h"

class PlayerMCircle : public BaseEffect {
public:
    void Init() override;
    void Update() override;
};
