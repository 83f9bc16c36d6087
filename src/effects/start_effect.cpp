// StartEffect: lights one circle at a time; "fading" here means the lights are still turning. The
// race counts its own countdown; the lights are drawn in step with it, one update at a time.
#include "effects/start_effect.h"

namespace {
constexpr std::int32_t kColourStep = 5;
constexpr float kCircleSpacing = 3.0f;
} // namespace

void StartEffect::Init() {
    name = "starteffect";
    const D3DXVECTOR3 spacing(kCircleSpacing, 0, 0);
    D3DXVECTOR3 step;
    D3DXVec3TransformNormal(&step, &spacing, &rotation);
    for (int i = 0; i < kCircles; ++i) {
        StartMCircle& circle = circles[i];
        circle.Init();
        circle.SetColor(255, 255, 0, 0);
        circle.SetBillboardSize(1.5f, 1.5f);
        circle.params[kSpin] = 2.0f;
        D3DXVECTOR3 d = step * static_cast<float>(i - 1);
        circle.SetPosition(position * MatrixTranslation(d.x, d.y, d.z));
    }
    lit = 0;
}

void StartEffect::Update() {
    for (StartMCircle& circle : circles) circle.Update();
    if (!fading || lit >= kCircles) return;
    StartMCircle& current = circles[lit];
    current.StartColorFade(255, 0, 255, 0, kColourStep);
    if (current.turnedGreen) ++lit;
    if (lit >= kCircles) {
        for (StartMCircle& circle : circles) circle.StartColorFade(0, 0, 0, 0, kColourStep);
        fading = false;
    }
}

void StartEffect::Draw() {
    if (!visible) return;
    for (StartMCircle& circle : circles) circle.Draw();
}
