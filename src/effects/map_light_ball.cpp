// MapLightBall: a random point ahead of and around the owner, in the owner's own axes.
#include "effects/map_light_ball.h"

#include "effects/effect_manager.h"
#include "player/chara_base.h"

namespace {
// One of 0 .. n - 1 from the effects' own generator.
int Roll(std::uint32_t n) { return static_cast<int>(EffectManager::Instance().Random(n)); }
} // namespace

void MapLightBall::Init() { name = "maplightball"; }

void MapLightBall::Update() {
    if (!owner) return;
    float x = static_cast<float>(Roll(100)) - 50.0f;
    float y = static_cast<float>(Roll(50)) - 25.0f;
    float z = owner->racer.speed + static_cast<float>(Roll(150));
    D3DXVECTOR3 local(x, y, z), p;
    D3DXVec3TransformCoord(&p, &local, &owner->racer.orientation);

    EffectManager& effects = EffectManager::Instance();
    BaseEffect* ball = effects.Get(effects.Create("lightball"));
    if (!ball) return;
    float s = static_cast<float>(Roll(10)) * 0.075f;
    ball->SetBillboardSize(s, s);
    std::int32_t blueChannel = 200 + Roll(56);
    std::int32_t greenChannel = 200 + Roll(56);
    std::int32_t redChannel = 100 + Roll(100);
    ball->SetColor(0, redChannel, greenChannel, blueChannel);
    ball->SetPosition(MatrixTranslation(p.x, p.y, p.z));
    ball->phase = false;
}
