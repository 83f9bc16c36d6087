// The race scene with people sharing the screen: each seat's controls, the pad handed to the
// automatic pilot while it is out, and a view per person with its own camera, culling, checkpoint
// colours, camera-facing effects and HUD; the clock is drawn once for everyone.
#include <algorithm>

#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/window/input.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "scenes/game.h"
#include "scenes/racer_labels.h"

namespace {

constexpr float kFieldOfView = 1.0471976f; // π/3, as 1P's view alone
constexpr float kNearPlane = 0.01f;
constexpr float kFarPlane = 2000.0f;
constexpr D3DCOLOR kReconnectColour = 0xFFFF8060;
constexpr D3DCOLOR kBorderColour = 0xFF101018;
// With quarters the clock straddles the upper views' join, below their places, splits and tags.
constexpr float kQuarterClockWidth = 218.0f, kQuarterClockTop = 66.0f;
// A view's HUD is laid out on a screen 720 high, drawn at the view's height; a quarter's on one 480
// high, so that its text is drawn half as large again as a half's and stays readable.
constexpr float kHudHeight = 720.0f;
constexpr float kQuarterHudHeight = 480.0f;
// The one-person screen the split time and the mode's extras are placed on, from its right edge.
constexpr float kFullHudWidth = 1280.0f;
// Checkpoint colours (RGB) for a view's person whose fade is not known: the one to reach, the one
// after it, the others.
constexpr std::int32_t kCurrentRgb[] = {255, 0, 0};
constexpr std::int32_t kNextRgb[] = {255, 255, 0};
constexpr std::int32_t kOtherRgb[] = {255, 255, 255};

gpu::Device* Device() { return GraphicsDevice::Instance().device.get(); }

// What is placed on the one-person screen from its right edge, drawn at `scale` with that edge on
// the view's right and the screen's top (or bottom) on the view's.
void BeginRightHud(const RECT& area, float scale, bool bottom) {
    const float right = static_cast<float>(area.right) - kFullHudWidth * scale;
    const float top = bottom ? static_cast<float>(area.bottom) - kHudHeight * scale : static_cast<float>(area.top);
    GraphicsDevice::Instance().BeginHudArea(MatrixScaling(scale, scale, 1.0f) * MatrixTranslation(right, top, 0.0f),
                                            kFullHudWidth, kHudHeight);
}

// Each checkpoint's circle in the colour it ends at for the person whose next checkpoint is `next`.
void ColourCheckPointsFor(std::int32_t next) {
    for (CheckPoint* point : CourseManager::Instance().checkPoints) {
        BaseEffect* circle = EffectManager::Instance().Get(point->effect);
        if (!circle) continue;
        const std::int32_t* rgb = point->number == next       ? kCurrentRgb
                                  : point->number == next + 1 ? kNextRgb
                                                              : kOtherRgb;
        circle->SetColor(255, rgb[0], rgb[1], rgb[2]);
    }
}

// Back to the colours the checkpoints are fading through for 1P.
void RestoreCheckPointColours() {
    for (CheckPoint* point : CourseManager::Instance().checkPoints)
        if (BaseEffect* circle = EffectManager::Instance().Get(point->effect))
            circle->SetColor(255, point->red, point->green, point->blue);
}

} // namespace

RECT Game::ViewArea(std::size_t seat, std::size_t seats, float width, float height) {
    const auto w = static_cast<std::int32_t>(width), h = static_cast<std::int32_t>(height);
    if (seats <= 1) return RECT{0, 0, w, h};
    if (seats == 2) {
        const std::int32_t half = h / 2;
        return seat == 0 ? RECT{0, 0, w, half} : RECT{0, half, w, h};
    }
    const std::int32_t midX = w / 2, midY = h / 2;
    const bool right = seat % 2 == 1, lower = seat >= 2;
    return RECT{right ? midX : 0, lower ? midY : 0, right ? w : midX, lower ? h : midY};
}

// ---- controls -----------------------------------------------------------------------------------

void Game::ReadSeats(std::span<race::Controls> steering) {
    race::Lineup& people = People();
    for (std::size_t seat = 0; seat < seatCount && seat < people.Count(); ++seat) {
        const std::int32_t racer = race.RacerOfSeat(static_cast<std::int32_t>(seat));
        if (racer < 0 || static_cast<std::size_t>(racer) >= steering.size()) continue;
        const race::RacerState& state = race.racers[static_cast<std::size_t>(racer)];
        race::Controls mine = people.At(seat).Read();
        // A time trial is flown by hand: the automatic pilot stays off.
        if (mode == RaceMode::Trial) mine.togglePilot = false;
        const bool flying = !state.finished;
        if (!people.Connected(seat)) {
            // Nothing from a pad that is out; the automatic pilot takes the racer once.
            mine = race::Controls{};
            if (!handedOver[seat] && flying && state.autoPilot == 0) mine.togglePilot = true;
            handedOver[seat] = true;
        } else if (handedOver[seat]) {
            handedOver[seat] = false;
            if (flying && state.autoPilot != 0) mine.togglePilot = true;
        }
        steering[static_cast<std::size_t>(racer)] = mine;
    }
}

std::optional<std::size_t> Game::AnyonePressed(int key) {
    std::optional<std::size_t> first;
    race::Lineup& people = People();
    for (std::size_t seat = 0; seat < people.Count(); ++seat)
        if (people.At(seat).Pressed(key) && !first) first = seat;
    return first;
}

bool Game::PeopleFinished() const {
    bool anyone = false;
    for (std::size_t seat = 0; seat < seatCount; ++seat) {
        // 1P is this machine's person (online, another seat than 0).
        const std::int32_t racer = seat == 0 ? Person() : race.RacerOfSeat(static_cast<std::int32_t>(seat));
        if (racer < 0) continue;
        anyone = true;
        if (!race.racers[static_cast<std::size_t>(racer)].finished) return false;
    }
    return anyone;
}

std::uint32_t Game::OwnSeats() const {
    if (online) return personSeat >= 0 && personSeat < 32 ? 1u << personSeat : 0u;
    return (1u << seatCount) - 1u;
}

// ---- cameras and splits -------------------------------------------------------------------------

void Game::CreateOtherCameras() {
    for (std::size_t seat = 1; seat < seatCount; ++seat) {
        const std::int32_t racer = race.RacerOfSeat(static_cast<std::int32_t>(seat));
        if (racer < 0) continue;
        otherCameras[seat - 1] = std::make_unique<Camera>();
        otherCameras[seat - 1]->Place(race.racers[static_cast<std::size_t>(racer)]);
        std::vector<CheckPointColour>& colours = otherCheckPointColours[seat - 1];
        colours.clear();
        for (const CheckPoint* point : CourseManager::Instance().checkPoints)
            colours.push_back(CheckPointColour::Initial(point->number));
    }
}

void Game::FollowWithOtherCameras() {
    for (std::size_t seat = 1; seat < seatCount; ++seat) {
        Camera* view = CameraOf(seat);
        const std::int32_t racer = race.RacerOfSeat(static_cast<std::int32_t>(seat));
        if (!view || racer < 0) continue;
        const race::RacerState& state = race.racers[static_cast<std::size_t>(racer)];
        view->Step(state);
        view->Follow(state.speed);
        const auto& points = CourseManager::Instance().checkPoints;
        std::vector<CheckPointColour>& colours = otherCheckPointColours[seat - 1];
        for (std::size_t i = 0; i < colours.size() && i < points.size(); ++i) {
            colours[i].Aim(points[i]->number, state.nextCheckPoint);
            colours[i].Step();
        }
    }
}

void Game::ColourCheckPointsForView(std::size_t seat, std::int32_t next) {
    const auto& points = CourseManager::Instance().checkPoints;
    if (seat == 0) return RestoreCheckPointColours();
    const std::vector<CheckPointColour>& colours = otherCheckPointColours[seat - 1];
    if (colours.size() != points.size()) return ColourCheckPointsFor(next);
    for (std::size_t i = 0; i < points.size(); ++i)
        if (BaseEffect* circle = EffectManager::Instance().Get(points[i]->effect))
            circle->SetColor(255, colours[i].red, colours[i].green, colours[i].blue);
}

void Game::ObserveOtherSplits() {
    for (std::size_t seat = 1; seat < seatCount; ++seat) {
        RaceResults& splits = otherSplits[seat - 1];
        if (!splits.Started()) splits.Start(race.racerCount);
        splits.Observe(race, race.RacerOfSeat(static_cast<std::int32_t>(seat)));
    }
}

// ---- views --------------------------------------------------------------------------------------

void Game::RenderViews() {
    gpu::Device* device = Device();
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    device->BeginPhase("clear");
    SceneTarget& scene = ShaderManager::Instance().scene;
    scene.Begin();
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kBorderColour, 1.0f, 0);
    device->BeginScene();
    // The world is drawn into whatever target the level chose, so the views are cut from its size.
    const std::shared_ptr<gpu::Surface> target = device->GetRenderTarget(0);
    const float targetWidth = target ? static_cast<float>(target->Width()) : ScreenWidth();
    const float targetHeight = target ? static_cast<float>(target->Height()) : ScreenHeight();
    for (std::size_t seat = 0; seat < seatCount; ++seat)
        DrawViewWorld(seat, ViewArea(seat, seatCount, targetWidth, targetHeight));
    // Back to 1P's view for what the next update reads (the culling and the billboards).
    EffectManager::Instance().viewArea.reset();
    EffectManager::Instance().viewSeat.reset();
    RestoreCheckPointColours();
    if (camera) {
        MapManager::Instance().cameraRotation = camera->Rotation();
        EffectManager::Instance().FaceAll(camera->Rotation());
    }
    scene.End();

    device->BeginPhase("hud");
    gpu::Sprite* sprite = graphics.sprite.get();
    if (sprite) sprite->Begin(D3DXSPRITE_ALPHABLEND);
    const float width = ScreenWidth(), height = ScreenHeight();
    if (cleared) {
        MapManager::Instance().DrawDim(dimAlpha);
        timer.DrawResult();
        if (mode != RaceMode::Trial) hud.DrawResult();
        pressEnter.Draw();
        DrawRaceText();
    } else {
        for (std::size_t seat = 0; seat < seatCount; ++seat)
            DrawViewHud(seat, ViewArea(seat, seatCount, width, height));
        if (seatCount == 3) DrawSpareQuarter(ViewArea(3, 4, width, height));
        DrawSharedHud();
    }
    MapManager::Instance().DrawFade();
    if (sprite) sprite->End();
    device->EndScene();
}

// One person's picture of the world: their projection, camera, culling, billboards and checkpoint
// colours, drawn into their area of the target.
void Game::DrawViewWorld(std::size_t seat, const RECT& area) {
    gpu::Device* device = Device();
    Camera* view = CameraOf(seat);
    const std::int32_t racer = race.RacerOfSeat(static_cast<std::int32_t>(seat));
    if (!view || racer < 0) return;
    const race::RacerState& state = race.racers[static_cast<std::size_t>(racer)];
    const float aspect = static_cast<float>(area.right - area.left) /
                         static_cast<float>(std::max<std::int32_t>(area.bottom - area.top, 1));
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, aspect, kNearPlane, kFarPlane);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_VIEW, &view->view);
    MapManager& map = MapManager::Instance();
    map.camera = view;
    map.cameraRotation = view->Rotation();
    map.SetFrustum(aspect, kFieldOfView, kFarPlane);
    map.UpdateFrustum();
    const D3DXVECTOR3 up{0.0f, 1.0f, 0.0f};
    D3DXVECTOR3 viewPoint;
    D3DXVec3TransformCoord(&viewPoint, &up, &state.orientation);
    map.UpdateVisibility(viewPoint);
    ColourCheckPointsForView(seat, state.nextCheckPoint);
    EffectManager& effects = EffectManager::Instance();
    effects.FaceAll(view->Rotation());
    effects.viewArea = area;
    effects.viewSeat = static_cast<std::int32_t>(seat);
    device->SetViewport(area);
    viewRacer = racer;
    DrawWorld();
    viewRacer = -1;
    map.camera = camera.get();
    // The aspect of 1P's frustum, as the next update's culling expects it.
    map.SetFrustum(ScreenWidth() / ScreenHeight(), kFieldOfView, kFarPlane);
}

// A view's own HUD, laid out on a screen 720 high (a quarter's 480) and drawn into the view: place,
// tags, split, the extras of the mode, and the person's label in their colour.
void Game::DrawViewHud(std::size_t seat, const RECT& area) {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    const std::int32_t racer = race.RacerOfSeat(static_cast<std::int32_t>(seat));
    if (racer < 0) return;
    const race::RacerState& state = race.racers[static_cast<std::size_t>(racer)];
    const bool quarter = seatCount > 2;
    const float layoutHeight = quarter ? kQuarterHudHeight : kHudHeight;
    const float scale = static_cast<float>(area.bottom - area.top) / layoutHeight;
    graphics.BeginHudArea(area, scale);
    const float width = ScreenWidth();
    if (mode != RaceMode::Trial) {
        hud.place = state.place;
        hud.PlaceOnScreen();
        hud.DrawRacing();
    }
    indicators.Draw(state.autoPilot != 0, state.pitchSign != -1);
    const RaceResults& splits = seat == 0 ? results : otherSplits[seat - 1];
    RaceResults::Split split;
    const bool hasSplit = splits.LastSplit(&split);
    // The mode's tag, centred; in a quarter without the extras, drawn below.
    DrawModeHud(quarter ? -1 : racer);
    if (!quarter && hasSplit) board.DrawSplitTime(split, race.raceUpdates * race::kUpdateMs);
    viewTag.Draw(PersonLabel(seat), 24.0f, layoutHeight - 60.0f, PersonColour(seat));
    if (!People().Connected(seat))
        viewTag.DrawCentred(PersonLabel(seat) + ": reconnect the pad", width * 0.5f, layoutHeight * 0.5f,
                            kReconnectColour);
    graphics.EndHudArea();
    // A quarter is narrower than the one-person screen these are placed on: the split keeps to the
    // view's top right, the mode's extras to its bottom right.
    if (quarter) {
        if (hasSplit) {
            BeginRightHud(area, scale, false);
            board.DrawSplitTime(split, race.raceUpdates * race::kUpdateMs);
            graphics.EndHudArea();
        }
        if (showExtras) {
            BeginRightHud(area, scale, true);
            DrawExtras(racer);
            graphics.EndHudArea();
        }
    }
    hud.PlaceOnScreen();
}

// Three people: the fourth quarter shows the course from above with every racer on it.
void Game::DrawSpareQuarter(const RECT& area) {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    const float side = static_cast<float>(area.bottom - area.top) * 0.9f;
    const float scale = side / RaceHudExtras::kMapSide;
    const float left = static_cast<float>(area.left + area.right) * 0.5f - side * 0.5f;
    const float top = static_cast<float>(area.top + area.bottom) * 0.5f - side * 0.5f;
    graphics.BeginHudArea(MatrixTranslation(-RaceHudExtras::kMapLeft, -RaceHudExtras::kMapTop, 0.0f) *
                              MatrixScaling(scale, scale, 1.0f) * MatrixTranslation(left, top, 0.0f),
                          ScreenWidth(), ScreenHeight());
    extras.DrawMapOnly(race, Person(), labels);
    graphics.EndHudArea();
}

// What belongs to nobody's view: the clock where the views meet, and the pause or controls screen.
void Game::DrawSharedHud() {
    // Two views: the top right of the upper one, where 1P's clock always is. Quarters: the middle
    // of the screen's top, half over each upper quarter, clear of the screen's edge.
    const D3DXMATRIX kept = timer.translation;
    if (seatCount > 2)
        timer.translation = MatrixTranslation((ScreenWidth() - kQuarterClockWidth) * 0.5f, kQuarterClockTop, 0.0f);
    timer.DrawRacing();
    timer.translation = kept;
    DrawOverlays();
}
