// The title scene: Enter starts the race, Escape asks whether to quit, F1 shows the controls and O
// opens the options.
#include "scenes/title.h"

#include <cstdio>

#include "map/course_list.h"
#include "map/map_manager.h"
#include "platform/text/translation.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "render/graphics_device.h"
#include "simplelib/resource_cache.h"
#include "sound/sound_manager.h"

namespace {
constexpr D3DCOLOR kClearColour = 0xFF0000FF;
constexpr D3DCOLOR kOpaqueWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kHintColour = 0xFFD8E8FF;

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
// The course chooser: the preview's top edge, the name's line below it and the name's text scale.
constexpr float kPreviewTop = 384.0f;
constexpr float kNameTop = 524.0f;
constexpr float kNameScale = 2.0f;
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

bool Title::UpdateScreens() {
    if (options.IsOpen()) options.Update(Seat());
    else if (controls.IsOpen()) controls.Update(Seat());
    else return false;
    pressEnter.Blink();
    return true;
}

std::int32_t Title::Update() {
    if (UpdateScreens()) return 0;
    if (Seat().Pressed(VK_ESCAPE)) {
        int answer = MessageBoxA(window, platform::text::Translate("Quit the game?"), "Orlenda",
                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        if (answer == IDYES) {
            exitRequested = true;
            return kTitleScene;
        }
    }
    pressEnter.Blink();
    ChooseCourse();
    if (Seat().Pressed(VK_RETURN)) {
        SoundManager::Instance().Play(0, "push");
        return kGameScene;
    }
    if (Seat().Pressed(VK_F1)) controls.Open(settings->values.keys);
    else if (Seat().Pressed('O')) options.Open(*settings);
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
    // The screens keep the title behind them, but not its prompt and hint.
    if (!options.IsOpen() && !controls.IsOpen()) {
        pressEnter.Draw();
        DrawHint();
        DrawCourse();
    }
    options.Draw();
    controls.Draw();
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

// One line under the prompt, centred on it, in the prompt's pale blue.
void Title::DrawHint() {
    std::shared_ptr<SimpleLib::CTexture> prompt = pressEnter.texture.lock();
    float centre = ScreenWidth() * 0.5f, below = ScreenHeight() * 0.8f;
    if (prompt && prompt->info.Width > 0) {
        centre = pressEnter.translation._41 + float(prompt->info.Width) * pressEnter.scaling._11 * 0.5f;
        below = pressEnter.translation._42 + float(prompt->info.Height) * pressEnter.scaling._22;
    }
    hint.DrawCentred("F1: controls  O: options", centre, below + 4.0f, kHintColour);
}

void Title::ChooseCourse() {
    CourseList& list = CourseList::Instance();
    if (Seat().Pressed(VK_NAVIGATION_LEFT)) list.Step(-1); // arrows and the pad's d-pad
    if (Seat().Pressed(VK_NAVIGATION_RIGHT)) list.Step(+1);
}

void Title::DrawCourse() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    const CourseEntry& course = CourseList::Instance().Selected();
    std::shared_ptr<SimpleLib::CTexture> image = preview.lock();
    if (!course.previewPath.empty() && (!image || image->path != course.previewPath)) {
        preview = ResourceCache::Instance().GetTexture(course.previewPath);
        image = preview.lock();
    }
    if (image && image->texture && image->path == course.previewPath) {
        D3DXMATRIX transform = MatrixTranslation((ScreenWidth() - float(image->info.Width)) * 0.5f, kPreviewTop, 0);
        graphics.sprite->SetTransform(&transform);
        graphics.sprite->Draw(image->texture.get(), &image->rect, nullptr, nullptr, kOpaqueWhite);
    }
    if (!graphics.font) return;
    const std::string text = CourseList::Instance().courses.size() > 1 ? "<   " + course.name + "   >" : course.name;
    RECT area{};
    graphics.font->DrawTextA(graphics.sprite.get(), text.c_str(), -1, &area, DT_CALCRECT, kOpaqueWhite);
    const float width = float(area.right - area.left) * kNameScale;
    D3DXMATRIX transform =
        MatrixScaling(kNameScale, kNameScale, 1) * MatrixTranslation((ScreenWidth() - width) * 0.5f, kNameTop, 0);
    graphics.sprite->SetTransform(&transform);
    graphics.font->DrawTextA(graphics.sprite.get(), text.c_str(), -1, &area, DT_LEFT | DT_TOP, kOpaqueWhite);
}

void Title::Release() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (graphics.device) graphics.device->SetTexture(0, nullptr);
}
