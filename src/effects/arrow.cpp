// Arrow: shifted along its own frame, turned, then placed at its offset.
#include "effects/arrow.h"

#include "effects/effect_manager.h"

void Arrow::Init() {
    name = "arrow";
    texture = EffectManager::Instance().FindTexture(name);
}

void Arrow::Update() {
    D3DXVECTOR3 offset = Param3(kOffset);
    world = position * rotation * MatrixTranslation(offset.x, offset.y, offset.z);
}
