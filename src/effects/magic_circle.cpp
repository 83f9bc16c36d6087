// MagicCircle: one degree a frame about its normal, turned to the camera, drawn from both sides.
#include "effects/magic_circle.h"

#include "effects/effect_manager.h"
#include "map/map_manager.h"
#include "render/graphics_device.h"

void MagicCircle::Init() {
    name = "magiccircle";
    texture = EffectManager::Instance().FindTexture(name);
}

void MagicCircle::Update() {
    angle += 1.0f;
    if (angle > 360.0f) angle = 0.0f;
    world = MatrixRotationZ(angle * kDegToRad) * MapManager::Instance().cameraRotation * position;
}

void MagicCircle::Draw() {
    // Without its texture there is nothing to bind; the circle is simply not drawn.
    if (!visible || !texture) return;
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (!device) return;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, texture->texture.get());
    DrawQuad();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}
