// StartMCircle: one of the three start-line circles; turns, faces the camera, and turns green once.
#pragma once

#include "effects/base_effect.h"

class StartMCircle : public BaseEffect {
public:
    void Init() override;
    void Update() override;
    void Face(const D3DXMATRIX& cameraRotation) override;

    bool turnedGreen = false; // kept across Init
    float baseSpin = 0.0f;    // degrees per frame outside colour fades
};
