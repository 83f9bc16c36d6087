// The follow camera: a short history of the racer's turns, and the view behind the oldest one.
#include "scenes/camera.h"

#include "render/graphics_device.h"

namespace {
constexpr float kHeight = 2.5f;
constexpr float kBaseDistance = 3.0f;
constexpr float kDistancePerSpeed = 2.0f;

void TakePosition(D3DXMATRIX& m, const D3DXMATRIX& from) {
    m._41 = from._41;
    m._42 = from._42;
    m._43 = from._43;
}
} // namespace

void Camera::Place(const race::RacerState& racer) {
    history.fill(racer.yawMatrix);
    cameraMatrix = history.back();
    TakePosition(cameraMatrix, racer.positionMatrix);
}

void Camera::Step(const race::RacerState& racer) {
    for (int k = kHistoryLength - 1; k >= 1; --k) history[k] = history[k - 1];
    history[0] = racer.orientation;
    history[0]._41 = history[0]._42 = history[0]._43 = 0.0f;
    cameraMatrix = history.back();
    TakePosition(cameraMatrix, racer.orientation);
}

void Camera::Follow(float speed) {
    const D3DXMATRIX offset = MatrixTranslation(0.0f, kHeight, -kDistancePerSpeed * speed - kBaseDistance);
    world = offset * cameraMatrix;
    D3DXMatrixInverse(&view, nullptr, &world);
    if (gpu::Device* device = GraphicsDevice::Instance().device.get()) device->SetTransform(D3DTS_VIEW, &view);
}
