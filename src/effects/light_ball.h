// LightBall: a glowing ball that faces the camera, fades in, then shrinks, fades out and rises away.
#pragma once

#include "effects/base_effect.h"

class LightBall : public BaseEffect {
public:
    void Init() override;
    void Update() override;
    void Face(const D3DXMATRIX& cameraRotation) override;
};
