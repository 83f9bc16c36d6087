// LightBall: 51 frames in, 128 frames out while shrinking by 2.5 % a frame, then retired.
#include "effects/light_ball.h"

#include "effects/effect_manager.h"

void LightBall::Init() {
    name = "lightball";
    texture = EffectManager::Instance().FindTexture(name);
}

void LightBall::Update() {
    params[kRise] += 0.05f;
    world = FaceCamera(position) * MatrixTranslation(0, params[kRise], 0);
    FadeInThenShrink(0.975f, 2);
}

void LightBall::Face(const D3DXMATRIX& cameraRotation) {
    world = cameraRotation * position * MatrixTranslation(0, params[kRise], 0);
}
