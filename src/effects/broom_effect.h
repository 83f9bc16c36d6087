// BroomEffect: one spark shed from the broom's tail that flies off backwards and fades in 52 frames.
#pragma once

#include "effects/base_effect.h"

class BroomEffect : public BaseEffect {
public:
    void Init() override;
    void Update() override;
    void Face(const D3DXMATRIX& cameraRotation) override;
    // A backward velocity of length v with a random sideways and vertical spread.
    void SetSpeed(float v) override;
};
