// Game: the race scene. Init builds the course and the race on its grid and warms it up; Update
// runs the race flow and steps the race; what the race reports turns into sounds, effects and the
// HUD; Render draws the world, the glow and the HUD or result screen.
#include "scenes/game.h"

#include <algorithm>
#include <utility>
#include <array>
#include <cmath>

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_list.h"
#include "map/course_builder.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "net/net_race.h"
#include "platform/text/translation.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "race/difficulty.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "render/graphics_quality.h"
#include "render/shader_manager.h"
#include "scenes/hud_glyphs.h"
#include "race/step.h"
#include "records/course_key.h"
#include "scenes/racer_labels.h"
#include "scenes/race_sounds.h"
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

const race::RacerState* Game::PersonRacer() const {
    const std::int32_t person = Person();
    return person < 0 ? nullptr : &race.racers[static_cast<std::size_t>(person)];
}

Player* Game::PersonView() const { return PlayerManager::Instance().OfSeat(personSeat); }

// ---- Init ---------------------------------------------------------------------------------------

void Game::SetUpView() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    const CourseEntry& entry = Course();
    graphics.SetDirectionalLight(entry.lightDirection, Opaque(entry.lightDiffuse), Opaque(entry.lightAmbient),
                                 D3DCOLORVALUE{1, 1, 1, 0});
    ShaderManager::Instance().SetFog(entry.fog, kFarPlane);
    camera = std::make_unique<Camera>();
    const float aspect = ScreenWidth() / ScreenHeight();
    MapManager::Instance().SetFrustum(aspect, kFieldOfView, kFarPlane);
    MapManager::Instance().camera = camera.get();
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, aspect, kNearPlane, kFarPlane);
    if (gpu::Device* device = Device()) device->SetTransform(D3DTS_PROJECTION, &projection);
}

void Game::StartCountdown() {
    EffectManager& effects = EffectManager::Instance();
    startEffect = effects.Create("starteffect");
    BaseEffect* marker = effects.Get(startEffect);
    if (!marker) return;
    // Worked in double so that the shipped grid's marker lands on exactly the same floats.
    const CourseEntry& entry = Course();
    const double turn = entry.heading * kPi / 180.0;
    const float x = static_cast<float>(entry.start.x + std::sin(turn) * kMarkerAhead);
    const float y = static_cast<float>(entry.start.y + kMarkerRise);
    const float z = static_cast<float>(entry.start.z + std::cos(turn) * kMarkerAhead);
    marker->rotation = MatrixRotationY(static_cast<float>(turn));
    marker->SetPosition(MatrixTranslation(x, y, z));
    // a second Init places the circles by the rotation and position just given
    marker->Init();
    marker->fading = true;
}

void Game::Init() {
    online = session->online;
    std::uint64_t onlineSeed = 1;
    Difficulty onlineLevel = Difficulty::Normal;
    race::Grid onlineGrid;
    if (online && !BeginOnline(&onlineSeed, &onlineLevel, &onlineGrid)) {
        SetUpView();
        noCourse = true;
        timer.Init();
        hud.Init();
        return;
    }
    SetUpView();
    EffectManager::Instance().LoadTextures();
    sky.Load(Device(), Course().skyPath);
    if (Course().music != "BGM") {
        SoundManager::Instance().Stop("BGM");
        SoundManager::Instance().Play(1, Course().music);
    }
    skyScale = MatrixScaling(kSkyScale, kSkyScale, kSkyScale);
    MapManager& map = MapManager::Instance();
    map.LoadMap();
    map.LoadModels(Device());
    CourseManager::Instance().CollectCheckPoints();

    if (CourseManager::Instance().checkPoints.empty()) {
        // Every racer steers for and counts checkpoints; without one there is no race to run.
        MessageBoxA(window, platform::text::Translate(kNoCourseMessage), kCaption, MB_OK | MB_ICONERROR);
        noCourse = true;
        timer.Init();
        hud.Init();
        return;
    }

    course = BuildCourse(map, CourseManager::Instance(), Course());
    const std::uint64_t seed = online ? onlineSeed : seeds ? seeds->Next() : 1;
    mode = online ? RaceMode::Race : session->mode;
    // Online, one person per machine.
    seatCount = online ? 1 : People().Count();
    const Difficulty level = online ? onlineLevel : RaceLevel();
    race = race::NewRace(course, online ? onlineGrid : ModeGrid(), level, seed);
    if (online) online->Race(course, race);
    // The sparks draw from a generator of their own, seeded from the race's so a replay shows the same.
    EffectManager::Instance().SeedRandom(~seed);
    PlayerManager::Instance().Create(race);
    SetUpMode(level);
    if (checks && checks->synctest > 0) syncTest = std::make_unique<race::SyncTest>(checks->synctest);
    if (const race::RacerState* person = PersonRacer()) {
        camera->Place(*person);
        map.cameraRotation = camera->Rotation();
    }
    CreateOtherCameras();
    // Records and ghosts are one person's: a shared screen races without them, and so does an
    // online race.
    if (online) records.LoadOnline();
    else if (!Shared()) records.Load(records::RecordClass(mode, level), settings->values.ghost);
    ghost.Begin(records.TakeGhost());
    board.Init();
    StartCountdown();
    timer.Init();
    hud.Init();
    pressEnter.Init();
    pressEnter.translation = MatrixTranslation(ScreenWidth() * 0.35f, ScreenHeight() * 0.8f, 0.0f);

    // Warm-up: the race and its effects run a few updates before the first picture.
    warmingUp = true;
    for (int i = 0; i < kWarmUpFrames; ++i) Update();
    warmingUp = false;
    cleared = false;
    dimAlpha = 0;
}

// ---- Update -------------------------------------------------------------------------------------

bool Game::AskReturnToTitle() {
    const std::optional<std::size_t> asker = AnyonePressed(VK_ESCAPE);
    if (!asker) return false;
    // The race stands still while the question is open; on a shared screen it names who asked.
    Halt();
    std::string question = platform::text::Translate(kReturnQuestion);
    if (Shared()) question = PersonLabel(*asker) + ": " + question;
    const int answer = MessageBoxA(window, question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    Resume();
    return answer == IDYES;
}

void Game::Resume() {
    if (paused || controls.IsOpen()) return;
    halted = false;
}

bool Game::UpdatePause() {
    if (warmingUp) return false;
    if (controls.IsOpen()) {
        controls.Update(Seat());
        Resume();
        return Halted();
    }
    if (Seat().Pressed(VK_F1)) {
        controls.Open(settings->values.keys, settings->values.keys2);
        Halt();
        return true;
    }
    // Anyone's pause holds the race for everyone, and anyone's lets it go on.
    if (AnyonePressed('P')) {
        paused = !paused;
        if (paused) Halt();
        else Resume();
    }
    return Halted();
}

bool Game::StepRace() {
    race::RaceEvents events;
    if (online) {
        if (!StepOnline(&events)) return false;
    } else {
        events = StepHere();
    }

    MapManager::Instance().ShowRace(course, race.update);
    ShowEvents(events);
    PlayerManager::Instance().Follow(race, events);
    FollowWithCamera();
    FollowWithOtherCameras();
    for (CheckPoint* checkPoint : CourseManager::Instance().checkPoints) checkPoint->Update();
    EffectManager::Instance().UpdateAll();
    if (const race::RacerState* person = PersonRacer()) {
        hud.place = person->place;
        if (camera) camera->Follow(person->speed);
        MapManager::Instance().UpdateFrustum();
    }
    timer.Show(race.ClockMs());
    return true;
}

race::RaceEvents Game::StepHere() {
    std::array<race::Controls, race::RaceState::kMostRacers> steering{};
    ReadSeats(steering);
    const std::span<const race::Controls> given(steering.data(), race.racerCount);
    if (syncTest) syncTest->Before(race, given);
    const race::RaceEvents events = race::Step(race, course, given);
    if (std::string report; syncTest && !syncTest->After(race, course, &report)) {
        checks->failure = "synctest: " + report;
        exitRequested = true;
        syncTest.reset();
    }
    return events;
}

// The sounds of an update, in the order it reported them: each person's boost loops on its own copy.
void Game::ShowEvents(const race::RaceEvents& events) {
    SoundManager& sounds = SoundManager::Instance();
    for (const SoundCue& cue : SoundCuesOf(events, race, OwnSeats())) {
        switch (cue.kind) {
        case SoundCue::Kind::Once: sounds.Play(0, cue.name); break;
        case SoundCue::Kind::StartLoop: sounds.PlayOwned(1, cue.name, cue.seat); break;
        case SoundCue::Kind::StopLoop: sounds.StopOwned(cue.name, cue.seat); break;
        }
    }
}

// Boosts loop until something stops them: leaving the race, or the race going away.
void Game::StopBoostSounds() {
    SoundManager& sounds = SoundManager::Instance();
    for (std::int32_t seat = 0; seat < static_cast<std::int32_t>(race::RaceState::kMostRacers); ++seat)
        sounds.StopOwned("fly", seat);
    sounds.Stop("fly");
}

// The person's camera turns after every racer has flown; checkpoints are coloured for their next
// one, billboards face their camera and the scenery in their view is drawn.
void Game::FollowWithCamera() {
    const race::RacerState* person = PersonRacer();
    if (!person || !camera) return;
    MapManager& map = MapManager::Instance();
    CourseManager::Instance().SetCurrentCheckPoint(person->nextCheckPoint);
    camera->Step(*person);
    map.cameraRotation = camera->Rotation();
    const D3DXVECTOR3 up{0.0f, 1.0f, 0.0f};
    D3DXVECTOR3 viewPoint;
    D3DXVec3TransformCoord(&viewPoint, &up, &person->orientation);
    map.UpdateVisibility(viewPoint);
}

void Game::FinishRace() {
    cleared = true;
    hud.alpha = 0;
    timer.alpha = 0;
    SoundManager::Instance().Play(0, "clear");
    // Space on the result screen races again; a throttle held over the line is not that press.
    for (std::size_t seat = 0; seat < seatCount; ++seat) People().At(seat).ForgetHeld(VK_SPACE);
    const race::RacerState* person = PersonRacer();
    if (!Shared()) records.Finish(results, person ? person->place : 1);
    if (mode == RaceMode::Championship) ScoreChampionshipRace();
}

// After each update: finishing times, splits, this race's ghost updates and the saved ghost.
void Game::FollowRace() {
    ++worldSteps;
    if (race.started && !results.Started()) results.Start(race.racerCount);
    if (!results.Started()) return;
    const bool personWasFlying = !results.KeyboardFinished();
    results.Observe(race, Person());
    extras.Observe(race);
    ObserveOtherSplits();
    if (Player* view = PersonView(); view && personWasFlying && !Shared())
        records.Capture(*view, static_cast<float>(worldSteps), view->racer.autoPilot != 0);
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
    if (online ? AskLeaveOnline() : AskReturnToTitle()) {
        StopMusic();
        // a boost held through the question would loop on over the title
        StopBoostSounds();
        return kTitleScene;
    }

    if (PeopleFinished() && !cleared) FinishRace();
    if (cleared && AnyonePressed(VK_RETURN)) {
        StopMusic();
        return mode == RaceMode::Championship ? kStandingsScene : kTitleScene;
    }
    // A championship race counts once: it is not raced again.
    // An online race is raced once too: the others have gone on.
    if (cleared && mode != RaceMode::Championship && !online && AnyonePressed(VK_SPACE)) {
        SoundManager::Instance().Play(0, "push");
        return SceneBase::kAgain;
    }
    // An online race cannot stand still for one machine.
    if (!cleared && !online && UpdatePause()) return kGameScene;
    const bool stepped = StepRace();
    if (!onlineOver.empty()) {
        // Once: the scene goes on updating while it fades out.
        if (!std::exchange(onlineOverTold, true))
            MessageBoxA(window, onlineOver.c_str(), kCaption, MB_OK | MB_ICONERROR);
        StopMusic();
        StopBoostSounds();
        return kTitleScene;
    }
    if (!stepped) return kGameScene;
    FollowRace();
    // The stalled race's question would hold an online race's link still: there, the others decide too.
    if (!online && NoRacerPasses() && AskTitleForStalledRace()) {
        StopMusic();
        StopBoostSounds();
        return kTitleScene;
    }
    return kGameScene;
}

void Game::Animate() {
    if (!cleared) return;
    dimAlpha = NextDimAlpha(dimAlpha);
    timer.StepResultFade();
    hud.StepResultFade();
    pressEnter.Blink();
}

// Each racer's next checkpoint and whether it has finished: any change is a checkpoint passed.
bool Game::NoRacerPasses() {
    if (!race.started || warmingUp || cleared) return false;
    std::vector<std::int32_t> progress;
    for (std::size_t i = 0; i < race.racerCount; ++i)
        progress.push_back(race.racers[i].nextCheckPoint * 2 + (race.racers[i].finished ? 1 : 0));
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
    if (Shared()) return RenderViews();
    device->BeginPhase("clear");
    SceneTarget& scene = ShaderManager::Instance().scene;
    scene.Begin();
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kClearColour, 1.0f, 0);
    device->BeginScene();
    if (camera) device->SetTransform(D3DTS_VIEW, &camera->view);
    DrawWorld();
    scene.End();

    device->BeginPhase("hud");
    gpu::Sprite* sprite = GraphicsDevice::Instance().sprite.get();
    if (sprite) sprite->Begin(D3DXSPRITE_ALPHABLEND);
    if (cleared) {
        MapManager::Instance().DrawDim(dimAlpha);
        timer.DrawResult();
        if (mode != RaceMode::Trial) hud.DrawResult();
        pressEnter.Draw();
    } else {
        timer.DrawRacing();
        if (mode != RaceMode::Trial) hud.DrawRacing();
        if (const race::RacerState* person = PersonRacer())
            indicators.Draw(person->autoPilot != 0, person->pitchSign != kFirstPitchSign);
        DrawModeHud(Person());
        DrawOverlays();
    }
    DrawRaceText();
    DrawNotice();
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
    const race::RacerState* person = viewRacer >= 0 ? &race.racers[static_cast<std::size_t>(viewRacer)] : PersonRacer();
    if (!person) return;
    // the sky sphere stays centred on the player wherever it flies
    const D3DXVECTOR3 centre = MatrixPosition(person->orientation);
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
    if (!cleared) {
        RaceResults::Split split;
        if (results.LastSplit(&split))
            board.DrawSplit(split, records.Before().BestSplit(split.index), race.raceUpdates * race::kUpdateMs);
        return;
    }
    ResultBoard::Summary summary;
    summary.standings = scoredOrder.empty() ? results.Standings(race) : scoredOrder;
    summary.bestMs = records.BestMs();
    summary.newRecord = records.NewRecord();
    summary.difficulty = RecordLabel();
    summary.nothingSaved = records.NothingSaved();
    summary.labels = labels;
    summary.pointsWon = pointsWon;
    if (Shared()) summary.note = "Split-screen: records and ghosts stay single-player";
    board.DrawResult(summary, timer.alpha);
}

void Game::DrawWorld() {
    gpu::Device* device = Device();
    if (!device) return;
    // Below full quality each texel comes from one mip level: llvmpipe pays twice for blending two.
    const GraphicsQuality quality = GraphicsDevice::Instance().quality;
    const bool full = quality == GraphicsQuality::Full;
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
    // The ground is most of the world's pixels: at low its rasterizing starts while the rest of the
    // world is sent, for about 4 % more frames a second and 4 MB more memory (which the levels
    // that draw the world whole, nearer their memory aim, do without).
    if (quality == GraphicsQuality::Low) device->Flush();
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
    // An online race is raced once: its link closes with it, and the next race is this machine's own.
    if (online) {
        online->Close();
        session->online = nullptr;
        online = nullptr;
        session->lobby.reset();
    }
    // The people's boost sounds loop until something stops them; nothing will once the race is gone.
    StopBoostSounds();
    camera.reset();
    PlayerManager::Instance().Clear();
    MapManager::Instance().camera = nullptr;
    MapManager::Instance().DeleteObjects();
    timer.digits.Release();
    CourseManager::Instance().DeleteCheckPoints();
    EffectManager::Instance().Clear();
    startEffect = {};
    sky.Release();
    hud.Release();
    ghost.Release();
    board.Release();
    extras.Release();
}
