// Game: the race scene. Init sets the stage and warms the world up; Update runs the race flow and
// steps the world in a fixed order; Render draws the world, the glow and the HUD or result screen.
#include "scenes/game.h"

#include <algorithm>

#include "app/application.h"
#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/window/clock.h"
#include "platform/window/message_box.h"
#include "player/difficulty.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "scenes/hud_glyphs.h"
#include "scenes/key_latches.h"
#include "sound/sound_manager.h"

namespace {

constexpr std::int32_t kStay = 1;
constexpr std::int32_t kTitle = 0;
constexpr std::int32_t kAgain = SceneBase::kAgain;

constexpr float kFieldOfView = 1.0471976f; // π/3
constexpr float kNearPlane = 0.01f;
constexpr float kFarPlane = 2000.0f;
constexpr float kSkyScale = 15.0f;
constexpr const char* kSkyModel = "data/XFile/SkySphere/Sky.x";

// The start grid and the start marker just ahead of it, facing −X.
constexpr float kGridX = 750.0f, kGridY = 50.0f, kGridZ = -1020.0f, kGridHeading = 270.0f;
constexpr float kMarkerX = 745.0f, kMarkerY = 55.0f, kMarkerZ = -1020.0f;
constexpr float kMarkerTurn = 4.712389f; // 3π/2

constexpr int kWarmUpFrames = 5;
constexpr std::int32_t kDimStep = 2;
constexpr std::int32_t kDimMost = 150;
constexpr D3DCOLOR kClearColour = 0xFF0000FF;

constexpr const char* kCaption = "Orlenda";
constexpr const char* kReturnQuestion = "タイトルに戻りますか？";
constexpr const char* kNoCourseMessage = "コースにチェックポイントがありません。タイトルに戻ります。";

gpu::Device* Device() { return GraphicsDevice::Instance().device.get(); }

std::shared_ptr<Player> KeyboardRacer() { return PlayerManager::Instance().user.lock(); }

} // namespace

Game::Game() { sceneId = 1; }

Game::~Game() { Release(); }

// ---- Init ---------------------------------------------------------------------------------------

void Game::SetUpView() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    graphics.SetDirectionalLight(D3DXVECTOR3{0.5f, -1.0f, 0.0f}, D3DCOLORVALUE{1, 1, 1, 1}, D3DCOLORVALUE{1, 1, 1, 1},
                                 D3DCOLORVALUE{1, 1, 1, 0});
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
    startEffect->rotation = MatrixRotationY(kMarkerTurn);
    startEffect->SetPosition(MatrixTranslation(kMarkerX, kMarkerY, kMarkerZ));
    // a second Init places the circles by the rotation and position just given
    startEffect->Init();
    startEffect->fading = true;
}

void Game::Init() {
    SetUpView();
    EffectManager::Instance().LoadTextures();
    sky.Load(Device(), kSkyModel);
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
    PlayerManager::Instance().PlaceAtStart(kGridX, kGridY, kGridZ, kGridHeading);
    records.Load();
    ghost.Begin(records.TakeGhost());
    board.Init();
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

void Game::FinishRace() {
    cleared = true;
    hud.alpha = 0;
    MapManager::Instance().timer.alpha = 0;
    SoundManager::Instance().Play(0, "clear");
    spaceLatch = true;
    records.Finish(results, PlayerManager::Instance().rank);
}

// After each world step: finishing times, splits, this race's ghost updates and the saved ghost.
void Game::FollowRace() {
    ++worldSteps;
    if (!results.Started()) return;
    const RaceTimer& timer = MapManager::Instance().timer;
    const auto& racers = PlayerManager::Instance().players;
    const bool keyboardWasFlying = !results.KeyboardFinished();
    results.Observe(racers, timeGetTime() - timer.startTime, timer.elapsed);
    if (std::shared_ptr<Player> keyboard = KeyboardRacer(); keyboard && keyboardWasFlying)
        records.Capture(*keyboard, static_cast<float>(worldSteps));
    ghost.ShowUpdate(results.Updates() - 1);
}

std::int32_t Game::Update() {
    if (noCourse) {
        SoundManager::Instance().Stop("BGM");
        return kTitle;
    }
    if (AskReturnToTitle()) {
        SoundManager::Instance().Stop("BGM");
        raceStarted = false;
        return kTitle;
    }

    RaceTimer& timer = MapManager::Instance().timer;
    std::shared_ptr<Player> keyboard = KeyboardRacer();
    if (keyboard && keyboard->finished && !cleared) FinishRace();
    if (cleared && KeyPressed(VK_RETURN, enterLatch)) {
        SoundManager::Instance().Stop("BGM");
        return kTitle;
    }
    if (cleared && KeyPressed(VK_SPACE, spaceLatch)) {
        SoundManager::Instance().Play(0, "push");
        return kAgain;
    }
    if (startEffect && !startEffect->fading && !raceStarted) {
        raceStarted = true;
        PlayerManager::Instance().StartRace();
        timer.stopped = false;
        timer.startTime = timeGetTime();
        results.Start(PlayerManager::Instance().players.size());
    }
    UpdateClock();
    StepWorld();
    FollowRace();
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
    DrawRaceText();
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

// Translucent, after the sky so that the sky shows through it, and outside the glow pass.
void Game::DrawGhost() {
    if (!ghost.Visible()) return;
    Device()->SetRenderState(D3DRS_LIGHTING, TRUE);
    ghost.Draw();
    Device()->SetRenderState(D3DRS_LIGHTING, FALSE);
}

void Game::DrawRaceText() {
    const RaceTimer& timer = MapManager::Instance().timer;
    if (!cleared) {
        RaceResults::Split split;
        if (results.LastSplit(&split))
            board.DrawSplit(split, records.Before().BestSplit(split.index), timeGetTime() - timer.startTime);
        return;
    }
    ResultBoard::Summary summary;
    summary.standings = results.Standings(PlayerManager::Instance().players);
    summary.bestMs = records.BestMs();
    summary.newRecord = records.NewRecord();
    summary.difficulty = DifficultyName(CurrentDifficulty());
    board.DrawResult(summary, timer.alpha);
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
    DrawGhost();
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
    ghost.Release();
    board.Release();
}
