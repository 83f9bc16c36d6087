// MagicCircle: one degree a frame about its normal, turned to the camera, drawn from both sides,
// fading as the camera comes within its size.
#include "effects/magic_circle.h"

#include <algorithm>

#include "effects/effect_manager.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"

namespace {
// View depths, in radii, over which the circle fades as the camera comes close: gone at the first,
// whole from the second on. The shader fades every effect quad over a few units of depth, which
// is nothing to a ring the size of a checkpoint: the camera flying through it would see its lines
// sweep over the screen as broad bands.
constexpr float kGoneDepth = 0.75f;
constexpr float kWholeDepth = 2.0f;

float SmoothStep(float from, float to, float x) {
    const float t = std::clamp((x - from) / (to - from), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}
} // namespace

void MagicCircle::Init() {
    name = "magiccircle";
    texture = EffectManager::Instance().FindTexture(name);
}

void MagicCircle::Update() {
    angle += 1.0f;
    if (angle > 360.0f) angle = 0.0f;
    world = FaceCamera(MatrixRotationZ(angle * kDegToRad), position);
}

void MagicCircle::Draw() {
    // Without its texture there is nothing to bind; the circle is simply not drawn.
    if (!visible || !texture) return;
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (!device) return;
    const float opacity = NearCameraOpacity();
    if (opacity <= 0.0f) return;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, texture->texture.get());
    DrawQuad(opacity);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

// The circle faces the camera, so its centre's view depth is every point's.
float MagicCircle::NearCameraOpacity() const {
    D3DXMATRIX view = MatrixIdentity();
    if (gpu::Effect* shader = ShaderManager::Instance().mainShader.effect.get())
        shader->GetValue("mV", &view, sizeof view);
    const D3DXVECTOR3 centre = MatrixPosition(position);
    D3DXVECTOR3 inView;
    D3DXVec3TransformCoord(&inView, &centre, &view);
    return SmoothStep(kGoneDepth * halfWidth, kWholeDepth * halfWidth, inView.z);
}

void MagicCircle::Face(const D3DXMATRIX& cameraRotation) {
    world = MatrixRotationZ(angle * kDegToRad) * cameraRotation * position;
}
