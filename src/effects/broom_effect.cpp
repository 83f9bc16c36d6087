// BroomEffect: the spark's offset from the tail grows by a speed-dependent factor every frame.
#include "effects/broom_effect.h"

#include "effects/effect_manager.h"
#include "player/chara_base.h"

namespace {
// One of 0 .. n - 1 from the effects' own generator.
int Roll(std::uint32_t n) { return static_cast<int>(EffectManager::Instance().Random(n)); }
} // namespace

void BroomEffect::Init() {
    name = "broomeffect";
    texture = EffectManager::Instance().FindTexture(name);
}

void BroomEffect::SetSpeed(float v) {
    float x = static_cast<float>(Roll(8)) * 0.1f - 0.4f;
    float y = static_cast<float>(Roll(8)) * 0.1f - 0.4f;
    D3DXVECTOR3 spread(x, y, -1.0f), direction;
    D3DXVec3Normalize(&direction, &spread);
    SetParam3(kVelocity, direction * v);
}

void BroomEffect::Update() {
    D3DXVECTOR3 velocity = Param3(kVelocity);
    if (owner) {
        float k = owner->racer.maxSpeed != 0.0f ? owner->racer.speed / owner->racer.maxSpeed * 0.1f + 1.0f : 1.0f;
        velocity *= k;
        SetParam3(kOffset, owner->racer.broomTail);
    }
    SetParam3(kVelocity, velocity);
    D3DXVECTOR3 turned;
    D3DXVec3TransformCoord(&turned, &velocity, &rotation);
    D3DXVECTOR3 at = Param3(kOffset) + turned;
    position = MatrixTranslation(at.x, at.y, at.z);
    world = FaceCamera(position);
    SetAlpha(alpha - 5);
    if (alpha < 0) {
        alpha = 0;
        Retire();
    }
}

void BroomEffect::Face(const D3DXMATRIX& cameraRotation) { world = cameraRotation * position; }
