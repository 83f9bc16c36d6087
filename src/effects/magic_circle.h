// MagicCircle: the checkpoint's circle, turning slowly about the view axis and always facing the camera.
#pragma once

#include "effects/base_effect.h"

class MagicCircle : public BaseEffect {
public:
    void Init() override;
    void Update() override;
    void Draw() override;

    float angle = 0.0f; // degrees
};
