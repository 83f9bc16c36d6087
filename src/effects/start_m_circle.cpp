// StartMCircle: spins 2.5 times faster while its colour fades and grows while it fades out.
#include "effects/start_m_circle.h"

#include "effects/effect_manager.h"

void StartMCircle::Init() {
    name = "magiccircle";
    texture = EffectManager::Instance().FindTexture(name);
    baseSpin = params[kSpin];
}

void StartMCircle::Update() {
    StepColorFade();
    rotation = rotation * MatrixRotationZ(params[kSpin] * kDegToRad);
    world = FaceCamera(rotation, position);
    if (red == 0 && green == 255 && blue == 0) turnedGreen = true;
    params[kSpin] = fading ? baseSpin * 2.5f : baseSpin;
    if (fading && targetAlpha == 0) SetBillboardSize(halfWidth * 1.01f, halfHeight * 1.01f);
}

void StartMCircle::Face(const D3DXMATRIX& cameraRotation) { world = rotation * cameraRotation * position; }
