// Arrow: one flat arrow steered by the NextPtArrow controller.
#pragma once

#include "effects/base_effect.h"

class Arrow : public BaseEffect {
public:
    void Init() override;
    void Update() override;
};
