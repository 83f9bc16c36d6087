// Game: the race scene. Init sets the stage and warms the world up; Update runs the race flow and
// steps the world in a fixed order; Render draws the world, the glow and the HUD or result screen.
#include "scenes/game.h"

#include <algorithm>
#include <cmath>

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_list.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/text/translation.h"
#include "platform/window/clock.h"
#include "platform/window/message_box.h"
#include "player/difficulty.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "render/graphics_quality.h"
#include "render/shader_manager.h"
#include "scenes/hud_glyphs.h"
#include "scenes/key_latches.h"
#include "sound/sound_manager.h"

namespace {

constexpr float kFieldOfView = 1.0471976f; // π/3
constexpr float kNearPlane = 0.01f;
constexpr float kFarPlane = 2000.0f;
constexpr float kSkyScale = 15.0f;
// The start marker stands this far ahead of the grid and above it, turned to the grid's heading.
constexpr double kMarkerAhead = 5.0;
constexpr double kMarkerRise = 5.0;
constexpr double kPi = 3.14159265358979323846;

constexpr int kWarmUpFrames = 5;
constexpr std::int32_t kFirstPitchSign = -1; // Up lifts the nose; R swaps it
constexpr std::int32_t kDimStep = 2;
constexpr std::int32_t kDimMost = 150;
constexpr D3DCOLOR kClearColour = 0xFF0000FF;

constexpr const char* kCaption = "Orlenda";
constexpr const char* kReturnQuestion = platform::text::Translatable("Return to the title?");
constexpr const char* kNoCourseMessage =
    platform::text::Translatable("The course has no checkpoints. Returning to the title.");
constexpr const char* kStalledQuestion =
    platform::text::Translatable("No racer has passed a checkpoint for 60 seconds. Return to the title?");
// A minute of race updates (16 ms each) in which no racer passes a checkpoint: the course cannot be flown.
constexpr std::uint32_t kStalledUpdates = 3750;

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

Game::Game() { sceneId = kGameScene; }

Game::~Game() { Release(); }

// ---- Init ---------------------------------------------------------------------------------------

void Game::SetUpView() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    const CourseEntry& course = Course();
    graphics.SetDirectionalLight(course.lightDirection, Opaque(course.lightDiffuse), Opaque(course.lightAmbient),
                                 D3DCOLORVALUE{1, 1, 1, 0});
    ShaderManager::Instance().SetFog(course.fog, kFarPlane);
    camera = std::make_unique<Camera>();
    const float aspect = ScreenWidth() / ScreenHeight();
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
        MessageBoxA(window, platform::text::Translate(kNoCourseMessage), kCaption, MB_OK | MB_ICONERROR);
        noCourse = true;
        timer.Init();
        hud.Init();
        return;
    }

    PlayerManager::Instance().Create(settings->values.difficulty);
    const CourseEntry& course = Course();
    PlayerManager::Instance().PlaceAtStart(course.start.x, course.start.y, course.start.z, course.heading);
    records.Load(settings->values.difficulty, settings->values.ghost);
    ghost.Begin(records.TakeGhost());
    board.Init();
    StartCountdown();
    timer.Init();
    hud.Init();
    pressEnter.Init();
    pressEnter.translation = MatrixTranslation(ScreenWidth() * 0.35f, ScreenHeight() * 0.8f, 0.0f);

    // Warm-up: the world and its effects run a few frames before the first one is shown.
    raceStarted = true;
    warmingUp = true;
    for (int i = 0; i < kWarmUpFrames; ++i) {
        Update();
        Render();
    }
    warmingUp = false;
    raceStarted = false;
    cleared = false;
    dimAlpha = 0;
}

// ---- Update -------------------------------------------------------------------------------------

bool Game::AskReturnToTitle() {
    if (!KeyPressed(VK_ESCAPE, escapeLatch)) return false;
    // The race stands still while the question is open, so the time spent answering is not lost.
    Halt();
    const int answer = MessageBoxA(window, platform::text::Translate(kReturnQuestion), kCaption,
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    Resume();
    return answer == IDYES;
}

void Game::Halt() {
    if (!haltedAt) haltedAt = timeGetTime();
}

// The clock counts from its start time, so moving the start by the stop's length takes the stop out.
void Game::Resume() {
    if (!haltedAt || paused || controls.IsOpen()) return;
    RaceTimer& timer = MapManager::Instance().timer;
    if (!timer.stopped) timer.startTime += timeGetTime() - *haltedAt;
    haltedAt.reset();
}

bool Game::UpdatePause() {
    if (warmingUp) return false;
    if (controls.IsOpen()) {
        controls.Update();
        Resume();
        return Halted();
    }
    if (KeyPressed(VK_F1, controlsLatch)) {
        controls.Open(settings->values.keys);
        Halt();
        return true;
    }
    if (KeyPressed('P', pauseLatch)) {
        paused = !paused;
        if (paused) Halt();
        else Resume();
    }
    return Halted();
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
        // Asked once, as the keys do: asking again after the fade-out would restart it for ever.
        if (titleAsked) return kGameScene;
        titleAsked = true;
        StopMusic();
        return kTitleScene;
    }
    // Closing the controls lets this very frame run on, as P does.
    if (controls.IsOpen() && UpdatePause()) return kGameScene;
    if (AskReturnToTitle()) {
        StopMusic();
        // a boost held through the question would loop on over the title
        SoundManager::Instance().Stop("fly");
        raceStarted = false;
        return kTitleScene;
    }

    RaceTimer& timer = MapManager::Instance().timer;
    std::shared_ptr<Player> keyboard = KeyboardRacer();
    if (keyboard && keyboard->finished && !cleared) FinishRace();
    if (cleared && KeyPressed(VK_RETURN, enterLatch)) {
        StopMusic();
        return kTitleScene;
    }
    if (cleared && KeyPressed(VK_SPACE, spaceLatch)) {
        SoundManager::Instance().Play(0, "push");
        return SceneBase::kAgain;
    }
    if (!cleared && UpdatePause()) return kGameScene;
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
    if (NoRacerPasses() && AskTitleForStalledRace()) {
        StopMusic();
        SoundManager::Instance().Stop("fly");
        raceStarted = false;
        return kTitleScene;
    }
    return kGameScene;
}

// Each racer's next checkpoint and whether it has finished: any change is a checkpoint passed.
bool Game::NoRacerPasses() {
    if (!raceStarted || warmingUp || cleared) return false;
    std::vector<std::int32_t> progress;
    for (const auto& racer : PlayerManager::Instance().players)
        progress.push_back(racer->nextCheckPoint * 2 + (racer->finished ? 1 : 0));
    if (progress != lastProgress) {
        lastProgress = std::move(progress);
        updatesWithoutPassage = 0;
        return false;
    }
    return ++updatesWithoutPassage >= kStalledUpdates;
}

// Asked again after another minute when the player stays; the clock stands still while it is open.
bool Game::AskTitleForStalledRace() {
    updatesWithoutPassage = 0;
    Halt();
    const int answer =
        MessageBoxA(window, platform::text::Translate(kStalledQuestion), kCaption, MB_YESNO | MB_ICONQUESTION);
    Resume();
    return answer == IDYES;
}

// ---- Render -------------------------------------------------------------------------------------

void Game::Render() {
    gpu::Device* device = Device();
    if (!device) return;
    device->BeginPhase("clear");
    SceneTarget& scene = ShaderManager::Instance().scene;
    scene.Begin();
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kClearColour, 1.0f, 0);
    device->BeginScene();
    if (camera) camera->Follow(KeyboardRacer().get());
    MapManager::Instance().UpdateFrustum();
    DrawWorld();
    scene.End();

    device->BeginPhase("hud");
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
        if (std::shared_ptr<Player> keyboard = KeyboardRacer())
            indicators.Draw(keyboard->autoPilot != 0, keyboard->pitchSign != kFirstPitchSign);
        DrawOverlays();
    }
    DrawRaceText();
    MapManager::Instance().DrawFade();
    if (sprite) sprite->End();
    device->EndScene();
}

void Game::DrawOverlays() {
    if (controls.IsOpen()) controls.Draw();
    else if (paused) pauseScreen.Draw();
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
    summary.difficulty = DifficultyName(settings->values.difficulty);
    board.DrawResult(summary, timer.alpha);
}

void Game::DrawWorld() {
    gpu::Device* device = Device();
    if (!device) return;
    // Below full quality each texel comes from one mip level: llvmpipe pays twice for blending two.
    const bool full = GraphicsDevice::Instance().quality == GraphicsQuality::Full;
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, full ? D3DTEXF_LINEAR : D3DTEXF_POINT);
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

    device->BeginPhase("map");
    MapManager::Instance().DrawObjects();
    device->BeginPhase("racers");
    PlayerManager::Instance().Draw();
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->BeginPhase("sky");
    DrawSky();
    DrawGhost();
    device->BeginPhase("effects");
    EffectManager::Instance().DrawAll();
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

// ---- Release ------------------------------------------------------------------------------------

// Everything freed here is emptied or set to none, so a second run does nothing.
void Game::Release() {
    // The keyboard racer's boost sound loops until something stops it; nothing will once the race is gone.
    SoundManager::Instance().Stop("fly");
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
