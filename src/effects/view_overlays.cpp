// MapManager's view data and screen overlays: the frustum planes, the white fade and the dim layer.
#include <cmath>

#include "map/map_manager.h"
#include "render/graphics_device.h"
#include "scenes/camera.h"

namespace {
constexpr std::int32_t kFadeStep = 3;

D3DCOLOR WhiteWithAlpha(std::int32_t alpha) { return (D3DCOLOR(alpha) << 24) | 0xFFFFFF; }

// Draws a texture over the screen's top-left corner through the shared sprite batch.
void DrawOverlay(SimpleLib::CTexture& texture, D3DCOLOR colour) {
    gpu::Sprite* sprite = GraphicsDevice::Instance().sprite.get();
    if (!sprite) return;
    D3DXMATRIX identity = MatrixTranslation(0, 0, 0);
    sprite->SetTransform(&identity);
    sprite->Draw(texture.texture.get(), &texture.rect, nullptr, nullptr, colour);
}
} // namespace

void MapManager::CreateOverlays() {
    // One white texel stretched over the screen gives the same picture as a screen-sized white
    // texture, without 3.5 MB of driver memory.
    const D3DPRESENT_PARAMETERS& screen = GraphicsDevice::Instance().presentParameters;
    fadeTexture.Create(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    fadeTexture.FillWhite();
    fadeTexture.rect = RECT{0, 0, std::int32_t(screen.BackBufferWidth), std::int32_t(screen.BackBufferHeight)};
    fadingIn = true;
    cameraRotation = MatrixIdentity();
    camera = nullptr;
    dimTexture.Create(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    dimTexture.FillWhite();
}

void MapManager::SetFrustum(float aspectRatio, float fieldOfViewY, float far) {
    aspect = aspectRatio;
    fovY = fieldOfViewY;
    farDistance = far;
    float h = far * std::tan(fieldOfViewY / 2);
    float w = h * aspectRatio;
    corners[0] = D3DXVECTOR3(-w, h, far);
    corners[1] = D3DXVECTOR3(w, h, far);
    corners[2] = D3DXVECTOR3(w, -h, far);
    corners[3] = D3DXVECTOR3(-w, -h, far);
    for (int i = 0; i < 4; ++i) planePoints[i] = corners[i];
}

void MapManager::UpdateFrustum() {
    if (!camera) return;
    const D3DXMATRIX& world = camera->world;
    const D3DXVECTOR3 eye = MatrixPosition(world);
    frustumEye = eye;
    for (int i = 0; i < 4; ++i) D3DXVec3TransformCoord(&planePoints[i], &corners[i], &world);
    // v × u of two neighbouring far corners seen from the eye points into the view volume.
    for (int i = 0; i < 4; ++i) {
        int j = (i + 1) % 4;
        D3DXVECTOR3 u = planePoints[i] - eye, v = planePoints[j] - eye, normal;
        D3DXVec3Cross(&normal, &v, &u);
        D3DXVec3Normalize(&planeNormals[i], &normal);
    }
}

void MapManager::StepFade() {
    fadeShown = active;
    if (!active) return;
    if (fadingIn) {
        alpha -= kFadeStep;
        if (alpha < 0) {
            alpha = 0;
            active = false;
        }
    } else {
        alpha += kFadeStep;
        if (alpha > 255) {
            alpha = 255;
            active = false;
        }
    }
}

void MapManager::DrawFade() {
    if (!fadeShown) return;
    DrawOverlay(fadeTexture, WhiteWithAlpha(alpha));
}

void MapManager::DrawDim(std::int32_t dimAlpha) {
    const D3DPRESENT_PARAMETERS& screen = GraphicsDevice::Instance().presentParameters;
    dimTexture.rect = RECT{0, 0, std::int32_t(screen.BackBufferWidth), std::int32_t(screen.BackBufferHeight)};
    DrawOverlay(dimTexture, D3DCOLOR(dimAlpha) << 24);
}

bool MapManager::OutsideFrustum(const D3DXVECTOR3& position, float radius) const {
    for (int i = 0; i < 4; ++i) {
        D3DXVECTOR3 offset = position - planePoints[i];
        if (D3DXVec3Dot(&planeNormals[i], &offset) < -radius) return true;
    }
    return false;
}
