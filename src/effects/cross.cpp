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
    world = FaceCamera(position) * MatrixTranslation(0, params[kRise], 0);

    // Hidden outside the view, but its life goes on.
    visible = !map.OutsideFrustum(MatrixPosition(world), halfWidth);
    FadeInThenShrink(0.995f, 1);
}

// Each view hides the crosses outside its own frustum.
void Cross::Face(const D3DXMATRIX& cameraRotation) {
    if (dead) return;
    world = cameraRotation * position * MatrixTranslation(0, params[kRise], 0);
    visible = !MapManager::Instance().OutsideFrustum(MatrixPosition(world), halfWidth);
}
