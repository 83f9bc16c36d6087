// BaseEffect: quad building, colour packing, the colour fade and the base draw.
#include "effects/base_effect.h"

#include <algorithm>

#include "effects/effect_manager.h"
#include "map/map_manager.h"
#include "render/shader_manager.h"

namespace {

// Moves one channel toward its target; true when it counts as arrived in this call.
bool StepChannel(std::int32_t& value, std::int32_t target, std::int32_t step) {
    if (value < target) {
        value += step;
        if (value > target) {
            value = target;
            return true;
        }
        return false;
    }
    if (value > target) {
        value -= step;
        if (value < target) {
            value = target;
            return true;
        }
        return false;
    }
    return true;
}

D3DCOLOR PackColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b) {
    // Fades overshoot (a cross reaches 259 before it settles on 255, a trail colour starts below 0):
    // clamped first, so a channel past the end stays at its brightest or darkest instead of wrapping.
    auto channel = [](std::int32_t value) { return static_cast<std::uint32_t>(std::clamp(value, 0, 255)); };
    return channel(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

} // namespace

BaseEffect::BaseEffect() {
    vertices[0].u = 0, vertices[0].v = 0;
    vertices[1].u = 1, vertices[1].v = 0;
    vertices[2].u = 1, vertices[2].v = 1;
    vertices[3].u = 0, vertices[3].v = 1;
}

void BaseEffect::Draw() {
    if (!visible || !texture) return;
    DrawQuad();
}

void BaseEffect::DrawQuad(float opacity) {
    // A trail cross can carry a channel below zero (a colour given as 0 minus its spread);
    // it is drawn as 0 rather than subtracting light from the scene and the float glow target.
    auto unit = [](std::int32_t channel) { return channel < 0 ? 0.0f : channel / 255.0f; };
    ModelShader& shader = ShaderManager::Instance().mainShader;
    const D3DXVECTOR3 corners[4] = {{vertices[0].x, vertices[0].y, vertices[0].z},
                                    {vertices[1].x, vertices[1].y, vertices[1].z},
                                    {vertices[2].x, vertices[2].y, vertices[2].z},
                                    {vertices[3].x, vertices[3].y, vertices[3].z}};
    EffectManager::Instance().glowRegion.AddQuad(world, corners);
    shader.QueueQuad(texture, vertices, world, D3DXCOLOR(unit(red), unit(green), unit(blue), unit(alpha) * opacity));
}

void BaseEffect::SetSize(float w, float h) {
    halfWidth = w, halfHeight = h;
    const float corners[4][3] = {{-w, 0, h}, {w, 0, h}, {w, 0, -h}, {-w, 0, -h}};
    for (int i = 0; i < 4; ++i)
        vertices[i].x = corners[i][0], vertices[i].y = corners[i][1], vertices[i].z = corners[i][2];
}

void BaseEffect::SetBillboardSize(float w, float h) {
    halfWidth = w, halfHeight = h;
    const float corners[4][3] = {{-w, h, 0}, {w, h, 0}, {w, -h, 0}, {-w, -h, 0}};
    for (int i = 0; i < 4; ++i)
        vertices[i].x = corners[i][0], vertices[i].y = corners[i][1], vertices[i].z = corners[i][2];
}

void BaseEffect::SetPosition(const D3DXMATRIX& m) { D3DXMatrixTranslation(&position, m._41, m._42, m._43); }

void BaseEffect::SetColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b) {
    alpha = a, red = r, green = g, blue = b;
    RebuildColors();
}

void BaseEffect::SetAlpha(std::int32_t a) {
    alpha = a;
    RebuildColors();
}

void BaseEffect::RebuildColors() {
    const D3DCOLOR packed = PackColor(alpha, red, green, blue);
    for (EffectVertex& v : vertices) v.color = packed;
}

void BaseEffect::StepColorFade() {
    if (!fading) return;
    bool arrived = StepChannel(alpha, targetAlpha, fadeStep);
    arrived = StepChannel(red, targetRed, fadeStep) && arrived;
    arrived = StepChannel(green, targetGreen, fadeStep) && arrived;
    arrived = StepChannel(blue, targetBlue, fadeStep) && arrived;
    RebuildColors();
    if (arrived) fading = false;
}

void BaseEffect::StartColorFade(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t step) {
    targetAlpha = a, targetRed = r, targetGreen = g, targetBlue = b;
    fadeStep = step;
    fading = true;
}

void BaseEffect::ReleaseResources() {
    name.clear();
    owner = nullptr;
}

// The scene leaves the camera's turn in the map manager after each update. A quad built in the X-Y
// plane faces along Z; turned as the camera is, it stands square to the view.
D3DXMATRIX BaseEffect::FaceCamera(const D3DXMATRIX& at) { return MapManager::Instance().cameraRotation * at; }

D3DXMATRIX BaseEffect::FaceCamera(const D3DXMATRIX& spin, const D3DXMATRIX& at) {
    return spin * MapManager::Instance().cameraRotation * at;
}

void BaseEffect::FadeInThenShrink(float shrink, std::int32_t fadeOutStep) {
    if (!phase) {
        SetAlpha(alpha + 5);
        if (alpha > 254) {
            alpha = 255;
            phase = true;
        }
    } else {
        SetBillboardSize(halfWidth * shrink, halfHeight * shrink);
        SetAlpha(alpha - fadeOutStep);
        if (alpha < 0) {
            alpha = 0;
            Retire();
        }
    }
}
