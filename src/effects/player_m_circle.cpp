// PlayerMCircle: accumulates its spin and rides half a unit above its owner.
#include "effects/player_m_circle.h"

#include "effects/effect_manager.h"
#include "player/chara_base.h"

void PlayerMCircle::Init() {
    name = "pmcircle";
    texture = EffectManager::Instance().FindTexture(name);
}

void PlayerMCircle::Update() {
    StepColorFade();
    rotation = rotation * MatrixRotationY(params[kSpin] * kDegToRad);
    if (!owner) return;
    D3DXVECTOR3 at = owner->Position();
    world = rotation * owner->racer.yawMatrix * owner->racer.pitchMatrix * MatrixTranslation(at.x, at.y + 0.5f, at.z);
}
