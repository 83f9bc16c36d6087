// Cross: one twinkle of a trail — fades in, rises, shrinks and fades out; hidden outside the view.
#pragma once

#include "effects/base_effect.h"

class Cross : public BaseEffect {
public:
    void Init() override;
    void Update() override;
    void Face(const D3DXMATRIX& cameraRotation) override;
};
