// MapLightBall: a random point ahead of and around the owner, in the owner's own axes.
#include "effects/map_light_ball.h"

#include <cstdlib>

#include "effects/effect_manager.h"
#include "player/chara_base.h"

void MapLightBall::Init() { name = "maplightball"; }

void MapLightBall::Update() {
    if (!owner) return;
    float x = static_cast<float>(std::rand() % 100) - 50.0f;
    float y = static_cast<float>(std::rand() % 50) - 25.0f;
    float z = owner->speed + static_cast<float>(std::rand() % 150);
    D3DXVECTOR3 local(x, y, z), p;
    D3DXVec3TransformCoord(&p, &local, &owner->orientation);

    BaseEffect* ball = EffectManager::Instance().Create("lightball");
    if (!ball) return;
    float s = static_cast<float>(std::rand() % 10) * 0.075f;
    ball->SetBillboardSize(s, s);
    std::int32_t blueChannel = 200 + std::rand() % 56;
    std::int32_t greenChannel = 200 + std::rand() % 56;
    std::int32_t redChannel = 100 + std::rand() % 100;
    ball->SetColor(0, redChannel, greenChannel, blueChannel);
    ball->SetPosition(MatrixTranslation(p.x, p.y, p.z));
    ball->phase = false;
}
