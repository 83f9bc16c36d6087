// The stand-in race scene: a dark screen with the fade drawn over it.
#include "app/placeholder_race_scene.h"

#include "map/map_manager.h"
#include "render/graphics_device.h"
#include "scenes/key_latches.h"

std::int32_t PlaceholderRaceScene::Update() { return KeyPressed(VK_RETURN, enterLatch) ? 0 : 1; }

void PlaceholderRaceScene::Render() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (!graphics.device || !graphics.sprite) return;
    graphics.device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF203040, 1.0f, 0);
    graphics.device->BeginScene();
    graphics.sprite->Begin(D3DXSPRITE_ALPHABLEND);
    MapManager::Instance().DrawFade();
    graphics.sprite->End();
    graphics.device->EndScene();
}
