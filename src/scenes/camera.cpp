// The follow camera: behind the racer's delayed frame, further back the faster it flies.
#include "scenes/camera.h"

#include "player/chara_base.h"
#include "render/graphics_device.h"

namespace {
constexpr float kHeight = 2.5f;
constexpr float kBaseDistance = 3.0f;
constexpr float kDistancePerSpeed = 2.0f;
} // namespace

void Camera::Follow(const CharaBase* racer) {
    if (!racer) return;
    const D3DXMATRIX offset = MatrixTranslation(0.0f, kHeight, -kDistancePerSpeed * racer->speed - kBaseDistance);
    world = offset * racer->cameraMatrix;
    D3DXMatrixInverse(&view, nullptr, &world);
    if (gpu::Device* device = GraphicsDevice::Instance().device.get()) device->SetTransform(D3DTS_VIEW, &view);
}
