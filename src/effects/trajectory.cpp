// Trajectory: every third frame at speed, one cross near the owner in the owner's own axes.
#include "effects/trajectory.h"

#include "effects/effect_manager.h"
#include "player/chara_base.h"

namespace {
// One of 0 .. n - 1 from the effects' own generator.
int Roll(std::uint32_t n) { return static_cast<int>(EffectManager::Instance().Random(n)); }
} // namespace

void Trajectory::Init() {
    name = "trajectory";
    texture = EffectManager::Instance().FindTexture(name);
    spawnTimer = 0;
}

void Trajectory::SetColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b) {
    alpha = a - 100, red = r - 100, green = g - 100, blue = b - 100;
}

void Trajectory::SetPosition(const D3DXMATRIX& m) {
    D3DXMatrixTranslation(&position, m._41, m._42, m._43);
    world = position;
}

void Trajectory::Update() {
    if (!owner || owner->racer.speed < 1.0f) return;
    if (spawnTimer < 2) {
        ++spawnTimer;
        return;
    }
    float x = static_cast<float>(Roll(4)) - 2.0f;
    float y = static_cast<float>(Roll(4)) - 2.0f;
    float z = owner->racer.speed + static_cast<float>(Roll(4)) - 2.0f;
    D3DXVECTOR3 local(x, y, z), p;
    D3DXVec3TransformCoord(&p, &local, &owner->racer.orientation);

    EffectManager& effects = EffectManager::Instance();
    if (BaseEffect* cross = effects.Get(effects.Create("cross"))) {
        float s = static_cast<float>(Roll(5) + 1) * 0.3f;
        cross->SetBillboardSize(s, s);
        std::int32_t a = alpha + Roll(100);
        std::int32_t r = red + Roll(100);
        std::int32_t g = green + Roll(100);
        std::int32_t b = blue + Roll(100);
        cross->SetColor(a, r, g, b);
        cross->SetPosition(MatrixTranslation(p.x, p.y, p.z));
        cross->phase = false;
    }
    spawnTimer = 0;
}
