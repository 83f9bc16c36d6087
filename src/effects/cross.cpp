// Cross: the view test runs every frame; the fade goes on whether the cross is seen or not.
#include "effects/cross.h"

#include "effects/effect_manager.h"
#include "map/map_manager.h"

void Cross::Init() {
    name = "cross";
    texture = EffectManager::Instance().FindTexture(name);
}

void Cross::Update() {
    const MapManager& map = MapManager::Instance();
    params[kRise] += 0.05f;
    world = map.cameraRotation * position * MatrixTranslation(0, params[kRise], 0);

    D3DXVECTOR3 centre = MatrixPosition(world);
    visible = true;
    for (int i = 0; i < 4; ++i) {
        D3DXVECTOR3 offset = centre - map.planePoints[i];
        if (-halfWidth > D3DXVec3Dot(&map.planeNormals[i], &offset)) {
            visible = false;
            break;
        }
    }

    if (!phase) {
        SetAlpha(alpha + 5);
        if (alpha > 254) {
            alpha = 255;
            phase = true;
        }
    } else {
        SetBillboardSize(halfWidth * 0.995f, halfHeight * 0.995f);
        SetAlpha(alpha - 1);
        if (alpha < 0) {
            alpha = 0;
            Retire();
        }
    }
}
