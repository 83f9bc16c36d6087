// MapLightBall: the invisible emitter that sheds one light ball a frame around its owner.
#pragma once

#include "effects/base_effect.h"

class MapLightBall : public BaseEffect {
public:
    void Init() override;
    void Update() override;
};
