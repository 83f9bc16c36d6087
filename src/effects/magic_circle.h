// MagicCircle: the checkpoint's circle, turning slowly about the view axis and always facing the camera.
#pragma once

#include "effects/base_effect.h"

class MagicCircle : public BaseEffect {
public:
    void Init() override;
    void Update() override;
    void Face(const D3DXMATRIX& cameraRotation) override;
    void Draw() override;

    float angle = 0.0f; // degrees

private:
    // 0 (not drawn) to 1 by the camera's view depth of the circle, in units of its half width.
    float NearCameraOpacity() const;
};
