// Player: a racer's set-up, its per-frame update and its drawing.
#include "player/player.h"

#include <cstdlib>

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "simplelib/animator.h"
#include "simplelib/mesh.h"
#include "simplelib/mesh_object.h"
#include "simplelib/resource_cache.h"

namespace {
constexpr int kStartDelayRange = 200; // frames an automatic racer may wait at the start
constexpr int kCircleParamSpin = 9;
} // namespace

Player::Player() { history.fill(MatrixIdentity()); }

Player::~Player() {
    waypoints.clear();
    broom.reset();
    animator.reset();
    skeleton.reset();
    model.reset();
}

void Player::Init() {
    orientation = MatrixTranslation(20.0f, 15.0f, 0.0f); // until the start grid places the racer
    broom = ResourceCache::Instance().GetMesh(kBroomModel);
    broomOffset = MatrixTranslation(0.0f, 1.0f, 0.0f);

    EffectManager& effects = EffectManager::Instance();
    if (autoPilot == 1) {
        for (BaseEffect** effect : {&circle, &arrow}) {
            if (*effect) {
                (*effect)->Retire();
                *effect = nullptr;
            }
        }
        waypoints.clear();
        trail = effects.Create("trajectory");
        if (trail) {
            trail->SetBillboardSize(0.15f, 2.0f);
            trail->SetColor(0, 255, 255, 255);
            trail->SetPosition(positionMatrix);
            trail->owner = this;
            trail->SetBillboardSize(1.2f, 8.0f);
        }
        startDelay = std::rand() % kStartDelayRange;
        return;
    }

    arrow = effects.Create("nextptarrow");
    if (arrow) {
        arrow->SetSize(0.7f, 1.0f);
        arrow->SetColor(255, 0, 150, 255);
        arrow->SetPosition(MatrixTranslation(0.0f, 0.0f, 2.5f));
        arrow->owner = this;
    }
    circle = effects.Create("pmcircle");
    if (circle) {
        circle->SetSize(1.5f, 1.5f);
        circle->rotation = MatrixRotationY(1.0f * kDegToRad);
        circle->params[kCircleParamSpin] = 1.0f;
        circle->SetColor(200, 150, 150, 255);
        circle->owner = this;
    }
    if (BaseEffect* lights = effects.Create("maplightball")) lights->owner = this;
    trail = nullptr;
}

void Player::Update() {
    if (autoPilot == 0) {
        KeyboardFlightStep();
    } else {
        AutoFlightStep();
    }
    const auto& checkPoints = CourseManager::Instance().checkPoints;
    if (nextCheckPoint >= 0 && nextCheckPoint < static_cast<std::int32_t>(checkPoints.size())) {
        const D3DXVECTOR3 toNext = MatrixPosition(checkPoints[nextCheckPoint]->world) - Position();
        distanceToNext = D3DXVec3Length(&toNext);
    }
    if (animator) animator->AdvanceTime(1.0);
    if (skeleton && !skeleton->bones.empty()) skeleton->UpdateBoneMatrices(skeleton->bones[0].get(), drawMatrix);
}

void Player::Draw() {
    ModelShader& shader = ShaderManager::Instance().mainShader;
    if (skeleton && !skeleton->bones.empty()) {
        shader.SetMatrix("mW", drawMatrix);
        shader.DrawSkinnedModel(*skeleton);
    }
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (std::shared_ptr<SimpleLib::CMesh> mesh = broom.lock(); mesh && device) {
        const D3DXMATRIX world = broomOffset * drawMatrix;
        device->SetTransform(D3DTS_WORLD, &world);
        mesh->Draw();
    }
}

void Player::Release() { trail = nullptr; }

void Player::CameraStep() {
    CourseManager::Instance().SetCurrentCheckPoint(nextCheckPoint);

    // The camera turns kHistoryLength - 1 frames behind the racer while staying on its position.
    for (int k = kHistoryLength - 1; k >= 1; --k) history[k] = history[k - 1];
    history[0] = orientation;
    history[0]._41 = history[0]._42 = history[0]._43 = 0.0f;
    cameraMatrix = history.back();
    cameraMatrix._41 = orientation._41;
    cameraMatrix._42 = orientation._42;
    cameraMatrix._43 = orientation._43;
    MapManager::Instance().cameraRotation = history.back();

    const D3DXVECTOR3 up{0.0f, 1.0f, 0.0f};
    D3DXVECTOR3 viewPoint;
    D3DXVec3TransformCoord(&viewPoint, &up, &orientation);
    MapManager::Instance().UpdateVisibility(viewPoint);
}
