// PlayerManager: builds the roster, lines it up, drives it once a frame and ranks the keyboard racer.
#include "player/player_manager.h"

#include "effects/base_effect.h"
#include "map/map_manager.h"
#include "player/difficulty.h"
#include "platform/window/input.h"
#include "scenes/key_latches.h"

namespace {

constexpr int kKeyC = 0x43;

struct RosterEntry {
    std::int32_t autoPilot;
    const char* model;
    bool hasTrailColour;
    int a, r, g, b;
};

constexpr RosterEntry kRoster[] = {
    {0, PlayerManager::kKeyboardModel, false, 0, 0, 0, 0},   {1, "data/XFile/velka/velka.x", true, 100, 0, 100, 255},
    {1, "data/XFile/mirro/mirro.x", true, 100, 255, 0, 255}, {1, "data/XFile/mirro/mirro.x", true, 100, 0, 255, 0},
    {1, "data/XFile/mirro/mirro.x", true, 100, 255, 255, 0},
};

// Racers stand side by side: 1.5 to the right and 0.5 forward of the previous one.
const D3DXVECTOR3 kGridStep{1.5f, 0.0f, 0.5f};

std::unique_ptr<PlayerManager>& Holder() {
    static std::unique_ptr<PlayerManager> instance = std::make_unique<PlayerManager>();
    return instance;
}

} // namespace

PlayerManager& PlayerManager::Instance() { return *Holder(); }

void PlayerManager::ResetInstance() { Holder() = std::make_unique<PlayerManager>(); }

void PlayerManager::Create(Difficulty level) {
    rank = 1;
    for (const RosterEntry& entry : kRoster) {
        auto racer = std::make_shared<Player>();
        racer->autoPilot = entry.autoPilot;
        racer->Init();
        racer->LoadModel(entry.model);
        if (entry.autoPilot == 1) ApplyDifficulty(level, *racer);
        if (entry.hasTrailColour && racer->trail) racer->trail->SetColor(entry.a, entry.r, entry.g, entry.b);
        players.push_back(racer);
        if (players.size() == 1) user = racer;
    }
}

void PlayerManager::PlaceAtStart(float x, float y, float z, float heading) {
    const D3DXMATRIX turn = MatrixRotationY(heading * kDegToRad);
    D3DXVECTOR3 step;
    D3DXVec3TransformNormal(&step, &kGridStep, &turn);
    for (std::size_t i = 0; i < players.size(); ++i) {
        Player& racer = *players[i];
        const float n = static_cast<float>(i);
        racer.positionMatrix = MatrixTranslation(x + n * step.x, y + n * step.y, z + n * step.z);
        racer.yawMatrix = turn;
        racer.yaw = heading;
    }
    std::shared_ptr<Player> keyboard = user.lock();
    if (!keyboard) return;
    keyboard->history.fill(keyboard->yawMatrix);
    keyboard->cameraMatrix = keyboard->history.back();
    keyboard->cameraMatrix._41 = keyboard->positionMatrix._41;
    keyboard->cameraMatrix._42 = keyboard->positionMatrix._42;
    keyboard->cameraMatrix._43 = keyboard->positionMatrix._43;
    MapManager::Instance().cameraRotation = keyboard->history.back();
}

std::int32_t PlayerManager::ComputeRank() const {
    std::shared_ptr<Player> keyboard = user.lock();
    if (!keyboard) return rank;
    std::int32_t place = 1;
    for (const auto& racer : players) {
        if (racer == keyboard) continue;
        const bool ahead =
            racer->finished || racer->nextCheckPoint > keyboard->nextCheckPoint ||
            (racer->nextCheckPoint == keyboard->nextCheckPoint && racer->distanceToNext < keyboard->distanceToNext);
        if (ahead) ++place;
    }
    return place;
}

void PlayerManager::Update() {
    std::shared_ptr<Player> keyboard = user.lock();
    if (KeyPressed(kKeyC, autoPilotLatch) && keyboard) keyboard->autoPilot = keyboard->autoPilot == 0 ? 1 : 0;

    for (const auto& racer : players) racer->Update();
    if (!keyboard) return;
    keyboard->CameraStep();
    if (!keyboard->finished) rank = ComputeRank();
}

void PlayerManager::Draw() {
    for (const auto& racer : players) racer->Draw();
}

void PlayerManager::StartRace() {
    for (const auto& racer : players) racer->frozen = false;
}

void PlayerManager::Clear() {
    for (const auto& racer : players) racer->Release();
    players.clear();
    user.reset();
}
