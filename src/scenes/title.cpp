// The title scene: Enter starts the race, Escape asks whether to quit.
#include "scenes/title.h"

#include <cstdio>

#include "map/map_manager.h"
#include "platform/window/message_box.h"
#include "render/graphics_device.h"
#include "scenes/key_latches.h"
#include "simplelib/resource_cache.h"
#include "sound/sound_manager.h"

namespace {
constexpr D3DCOLOR kClearColour = 0xFF0000FF;
constexpr D3DCOLOR kOpaqueWhite = 0xFFFFFFFF;

// An image stretched over the whole screen; an image that failed to load draws nothing.
void DrawFullScreen(const std::weak_ptr<SimpleLib::CTexture>& reference, gpu::Sprite& sprite) {
    std::shared_ptr<SimpleLib::CTexture> image = reference.lock();
    if (!image || !image->texture || image->info.Width == 0 || image->info.Height == 0) return;
    D3DXMATRIX transform = MatrixScaling(ScreenWidth() / image->info.Width, ScreenHeight() / image->info.Height, 0);
    sprite.SetTransform(&transform);
    sprite.Draw(image->texture.get(), &image->rect, nullptr, nullptr, kOpaqueWhite);
}

// The logo at its own size, centred across and a third of the leftover height down.
void DrawLogo(const std::weak_ptr<SimpleLib::CTexture>& reference, gpu::Sprite& sprite) {
    std::shared_ptr<SimpleLib::CTexture> image = reference.lock();
    if (!image || !image->texture) return;
    D3DXMATRIX transform = MatrixTranslation((ScreenWidth() - float(image->info.Width)) * 0.5f,
                                             (ScreenHeight() - float(image->info.Height)) / 3, 0);
    sprite.SetTransform(&transform);
    sprite.Draw(image->texture.get(), &image->rect, nullptr, nullptr, kOpaqueWhite);
}
} // namespace

Title::~Title() { Release(); }

void Title::Init() {
    SoundManager::Instance().Play(1, "BGM");
    ResourceCache& cache = ResourceCache::Instance();
    background = cache.GetTexture("data/Texture/titleback.png");
    logo = cache.GetTexture("data/Texture/titlelogo.png");
    fog = cache.GetTexture("data/Texture/titlefog.png");
    pressEnter.Init();
    pressEnter.translation = MatrixTranslation(ScreenWidth() * 0.35f, ScreenHeight() * 0.8f, 0);
}

std::int32_t Title::Update() {
    if (KeyPressed(VK_ESCAPE, escapeLatch)) {
        int answer = MessageBoxA(window, "ゲームを終了しますか？", "Orlenda", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        if (answer == IDYES) {
            exitRequested = true;
            return kTitleScene;
        }
    }
    pressEnter.Blink();
    if (KeyPressed(VK_RETURN, enterLatch)) {
        SoundManager::Instance().Play(0, "push");
        return kGameScene;
    }
    return kTitleScene;
}

void Title::Render() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (!graphics.device || !graphics.sprite) return;
    gpu::Device& device = *graphics.device;
    gpu::Sprite& sprite = *graphics.sprite;
    device.BeginPhase("title");
    device.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kClearColour, 1.0f, 0);
    device.BeginScene();
    sprite.Begin(D3DXSPRITE_ALPHABLEND);
    DrawFullScreen(background, sprite);
    DrawFullScreen(fog, sprite);
    DrawLogo(logo, sprite);
    pressEnter.Draw();
    MapManager::Instance().DrawFade();
    DrawFrameRate();
    sprite.End();
    device.EndScene();
}

void Title::DrawFrameRate() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (!graphics.font) return;
    D3DXMATRIX transform = MatrixTranslation(10, 10, 0);
    graphics.sprite->SetTransform(&transform);
    char text[256];
    std::snprintf(text, sizeof text, "FPS=%d", framesPerSecond);
    RECT area{};
    graphics.font->DrawTextA(graphics.sprite.get(), text, -1, &area, DT_CALCRECT, kOpaqueWhite);
    graphics.font->DrawTextA(graphics.sprite.get(), text, -1, &area, DT_LEFT | DT_TOP, kOpaqueWhite);
}

void Title::Release() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (graphics.device) graphics.device->SetTexture(0, nullptr);
}
