// Game: the race scene. Init sets the stage and warms the world up; Update runs the race flow and
// steps the world in a fixed order; Render draws the world, the glow and the HUD or result screen.
#include "scenes/game.h"

#include <algorithm>
#include <cmath>

#include "app/application.h"
#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_list.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/window/clock.h"
#include "platform/window/message_box.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "scenes/hud_glyphs.h"
#include "scenes/key_latches.h"
#include "sound/sound_manager.h"

namespace {

constexpr std::int32_t kStay = 1;
constexpr std::int32_t kTitle = 0;

constexpr float kFieldOfView = 1.0471976f; // π/3
constexpr float kNearPlane = 0.01f;
constexpr float kFarPlane = 2000.0f;
constexpr float kSkyScale = 15.0f;
// The start marker stands this far ahead of the grid and above it, turned to the grid's heading.
constexpr double kMarkerAhead = 5.0;
constexpr double kMarkerRise = 5.0;
constexpr double kPi = 3.14159265358979323846;

constexpr int kWarmUpFrames = 5;
constexpr std::int32_t kDimStep = 2;
constexpr std::int32_t kDimMost = 150;
constexpr D3DCOLOR kClearColour = 0xFF0000FF;

constexpr const char* kCaption = "Orlenda";
constexpr const char* kReturnQuestion = "タイトルに戻りますか？";
constexpr const char* kNoCourseMessage = "コースにチェックポイントがありません。タイトルに戻ります。";

gpu::Device* Device() { return GraphicsDevice::Instance().device.get(); }

std::shared_ptr<Player> KeyboardRacer() { return PlayerManager::Instance().user.lock(); }

const CourseEntry& Course() { return CourseList::Instance().Selected(); }

D3DCOLORVALUE Opaque(const D3DXVECTOR3& rgb) { return D3DCOLORVALUE{rgb.x, rgb.y, rgb.z, 1}; }

// The title's tune plays on into the race unless the course brings its own.
void StopMusic() {
    SoundManager::Instance().Stop("BGM");
    if (Course().music != "BGM") SoundManager::Instance().Stop(Course().music);
}

} // namespace

Game::Game() { sceneId = 1; }

Game::~Game() { Release(); }

// ---- Init ---------------------------------------------------------------------------------------

void Game::SetUpView() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    const CourseEntry& course = Course();
    graphics.SetDirectionalLight(course.lightDirection, Opaque(course.lightDiffuse), Opaque(course.lightAmbient),
                                 D3DCOLORVALUE{1, 1, 1, 0});
    ShaderManager::Instance().SetFog(course.fog, kFarPlane);
    camera = std::make_unique<Camera>();
    const float aspect = static_cast<float>(graphics.presentParameters.BackBufferWidth) /
                         static_cast<float>(graphics.presentParameters.BackBufferHeight);
    MapManager::Instance().SetFrustum(aspect, kFieldOfView, kFarPlane);
    MapManager::Instance().camera = camera.get();
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, aspect, kNearPlane, kFarPlane);
    if (gpu::Device* device = Device()) device->SetTransform(D3DTS_PROJECTION, &projection);
}

void Game::StartCountdown() {
    startEffect = EffectManager::Instance().Create("starteffect");
    if (!startEffect) return;
    // Worked in double so that the shipped grid's marker lands on exactly the same floats.
    const CourseEntry& course = Course();
    const double turn = course.heading * kPi / 180.0;
    const float x = static_cast<float>(course.start.x + std::sin(turn) * kMarkerAhead);
    const float y = static_cast<float>(course.start.y + kMarkerRise);
    const float z = static_cast<float>(course.start.z + std::cos(turn) * kMarkerAhead);
    startEffect->rotation = MatrixRotationY(static_cast<float>(turn));
    startEffect->SetPosition(MatrixTranslation(x, y, z));
    // a second Init places the circles by the rotation and position just given
    startEffect->Init();
    startEffect->fading = true;
}

void Game::Init() {
    SetUpView();
    EffectManager::Instance().LoadTextures();
    sky.Load(Device(), Course().skyPath);
    if (Course().music != "BGM") {
        SoundManager::Instance().Stop("BGM");
        SoundManager::Instance().Play(1, Course().music);
    }
    skyScale = MatrixScaling(kSkyScale, kSkyScale, kSkyScale);
    MapManager::Instance().LoadMap();
    MapManager::Instance().LoadModels(Device());
    CourseManager::Instance().CollectCheckPoints();

    RaceTimer& timer = MapManager::Instance().timer;
    if (CourseManager::Instance().checkPoints.empty()) {
        // Every racer steers for and counts checkpoints; without one there is no race to run.
        MessageBoxA(Application::Instance().window, kNoCourseMessage, kCaption, MB_OK | MB_ICONERROR);
        noCourse = true;
        timer.Init();
        hud.Init();
        return;
    }

    PlayerManager::Instance().Create();
    const CourseEntry& course = Course();
    PlayerManager::Instance().PlaceAtStart(course.start.x, course.start.y, course.start.z, course.heading);
    StartCountdown();
    timer.Init();
    hud.Init();
    pressEnter.Init();
    pressEnter.translation = MatrixTranslation(hud::ScreenWidth() * 0.35f, hud::ScreenHeight() * 0.8f, 0.0f);

    // Warm-up: the world and its effects run a few frames before the first one is shown.
    raceStarted = true;
    for (int i = 0; i < kWarmUpFrames; ++i) {
        Update();
        Render();
    }
    raceStarted = false;
    cleared = false;
    dimAlpha = 0;
}

// ---- Update -------------------------------------------------------------------------------------

bool Game::AskReturnToTitle() {
    if (!KeyPressed(VK_ESCAPE, escapeLatch)) return false;
    const int answer =
        MessageBoxA(Application::Instance().window, kReturnQuestion, kCaption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    return answer == IDYES;
}

void Game::UpdateClock() {
    RaceTimer& timer = MapManager::Instance().timer;
    if (timer.stopped) return;
    timer.elapsed = timeGetTime() - timer.startTime;
    timer.minutes = timer.elapsed / 60000;
    timer.seconds = (timer.elapsed / 1000) % 60;
    timer.milliseconds = timer.elapsed % 1000;
}

void Game::StepWorld() {
    MapManager::Instance().UpdateObjects();
    PlayerManager::Instance().Update();
    for (CheckPoint* checkPoint : CourseManager::Instance().checkPoints) checkPoint->Update();
    EffectManager::Instance().UpdateAll();
}

std::int32_t Game::Update() {
    if (noCourse) {
        StopMusic();
        return kTitle;
    }
    if (AskReturnToTitle()) {
        StopMusic();
        raceStarted = false;
        return kTitle;
    }

    RaceTimer& timer = MapManager::Instance().timer;
    std::shared_ptr<Player> keyboard = KeyboardRacer();
    if (keyboard && keyboard->finished && !cleared) {
        cleared = true;
        hud.alpha = 0;
        timer.alpha = 0;
        SoundManager::Instance().Play(0, "clear");
    }
    if (cleared && KeyPressed(VK_RETURN, enterLatch)) {
        StopMusic();
        return kTitle;
    }
    if (startEffect && !startEffect->fading && !raceStarted) {
        raceStarted = true;
        PlayerManager::Instance().StartRace();
        timer.stopped = false;
        timer.startTime = timeGetTime();
    }
    UpdateClock();
    StepWorld();
    return kStay;
}

// ---- Render -------------------------------------------------------------------------------------

void Game::Render() {
    gpu::Device* device = Device();
    if (!device) return;
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kClearColour, 1.0f, 0);
    device->BeginScene();
    if (camera) camera->Follow(KeyboardRacer().get());
    MapManager::Instance().UpdateFrustum();
    DrawWorld();

    gpu::Sprite* sprite = GraphicsDevice::Instance().sprite.get();
    if (sprite) sprite->Begin(D3DXSPRITE_ALPHABLEND);
    RaceTimer& timer = MapManager::Instance().timer;
    if (cleared) {
        dimAlpha = NextDimAlpha(dimAlpha);
        MapManager::Instance().DrawDim(dimAlpha);
        timer.DrawResult();
        hud.DrawResult();
        pressEnter.Blink();
        pressEnter.Draw();
    } else {
        timer.DrawRacing();
        hud.DrawRacing();
    }
    MapManager::Instance().DrawFade();
    if (sprite) sprite->End();
    device->EndScene();
}

std::int32_t Game::NextDimAlpha(std::int32_t alpha) { return std::min(alpha + kDimStep, kDimMost); }

void Game::DrawSky() {
    std::shared_ptr<Player> keyboard = KeyboardRacer();
    if (!keyboard) return;
    // the sky sphere stays centred on the player wherever it flies
    const D3DXVECTOR3 centre = MatrixPosition(keyboard->orientation);
    const D3DXMATRIX world = skyScale * MatrixTranslation(centre.x, centre.y, centre.z);
    Device()->SetTransform(D3DTS_WORLD, &world);
    sky.Draw();
}

void Game::DrawWorld() {
    gpu::Device* device = Device();
    if (!device) return;
    D3DXMATRIX view, projection, inverseView;
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT9 light;
    device->GetLight(0, &light);
    D3DXVECTOR3 eye{0, 0, 0};
    if (D3DXMatrixInverse(&inverseView, nullptr, &view)) eye = MatrixPosition(inverseView);

    ShaderManager& shaders = ShaderManager::Instance();
    shaders.SetLight(light.Direction, light.Diffuse, light.Ambient, light.Specular);
    for (ModelShader* shader : {&shaders.mainShader, &shaders.objectShader}) {
        shader->SetMatrix("mP", projection);
        shader->SetMatrix("mV", view);
        shader->SetValue("CamPos", &eye, sizeof(float) * 3);
    }

    MapManager::Instance().DrawObjects();
    PlayerManager::Instance().Draw();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    DrawSky();
    EffectManager::Instance().DrawAll();
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

// ---- Release ------------------------------------------------------------------------------------

// Everything freed here is emptied or set to none, so a second run does nothing.
void Game::Release() {
    camera.reset();
    PlayerManager::Instance().Clear();
    MapManager::Instance().camera = nullptr;
    MapManager::Instance().DeleteObjects();
    MapManager::Instance().timer.digits.Release();
    CourseManager::Instance().DeleteCheckPoints();
    EffectManager::Instance().Clear();
    startEffect = nullptr;
    sky.Release();
    hud.Release();
}
