// Player: a racer's effects, the sparks of its updates, and its drawing.
#include "player/player.h"

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "effects/next_pt_arrow.h"
#include "map/map_manager.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "simplelib/animator.h"
#include "simplelib/mesh.h"
#include "simplelib/mesh_object.h"
#include "simplelib/resource_cache.h"

namespace {

constexpr int kCircleParamSpin = 9;

// How far a racer's model and broom reach from where it is drawn, with room for the animation (the
// witch's bind pose reaches 2.6, the broom 2.5).
constexpr float kRacerReach = 5.0f;

// Sparks: size factor, colour (a, r, g, b), speed.
struct SparkKind {
    float sizeFactor;
    int a, r, g, b;
    bool placedAtBroom;
    float speed;
};
constexpr SparkKind kThrottleSpark1{0.025f, 255, 255, 255, 255, false, 0.1f};
constexpr SparkKind kThrottleSpark2{0.075f, 255, 255, 255, 255, false, 0.5f};
constexpr SparkKind kBurstSpark{0.075f, 255, 255, 255, 0, false, 1.2f};
constexpr SparkKind kBoostSpark{0.02f, 255, 255, 255, 100, true, 0.75f};
constexpr SparkKind kCheckPointSpark{0.05f, 255, 255, 0, 0, true, 0.1f};

// The circle under a person's racer: spin (degrees per update) and colour target.
constexpr float kCircleBoostSpin = 10.0f;
constexpr float kCircleCheckPointSpin = 15.0f;
constexpr float kCircleSpeedSpin = 4.0f; // added at full speed to the base spin of 1
constexpr int kCircleFadeStep = 10;

void StartCircleFade(EffectHandle handle, float spin, int a, int r, int g, int b) {
    BaseEffect* circle = EffectManager::Instance().Get(handle);
    if (!circle) return;
    circle->params[kCircleParamSpin] = spin;
    circle->StartColorFade(a, r, g, b, kCircleFadeStep);
}

void ShedSpark(Player& p, const SparkKind& kind, const D3DXMATRIX& rotation) {
    EffectManager& effects = EffectManager::Instance();
    BaseEffect* spark = effects.Get(effects.Create("broomeffect"));
    if (!spark) return;
    const float size = static_cast<float>(effects.Random(5)) * kind.sizeFactor;
    spark->SetBillboardSize(size, size);
    spark->rotation = rotation;
    spark->owner = &p;
    spark->SetColor(kind.a, kind.r, kind.g, kind.b);
    if (kind.placedAtBroom) spark->SetPosition(p.broomOffset);
    spark->SetSpeed(kind.speed);
}

} // namespace

Player::Player() = default;

Player::~Player() {
    broom.reset();
    animator.reset();
    skeleton.reset();
    model.reset();
}

void Player::Init() {
    broom = ResourceCache::Instance().GetMesh(kBroomModel);
    broomOffset = MatrixTranslation(0.0f, 1.0f, 0.0f);

    EffectManager& effects = EffectManager::Instance();
    if (racer.seat < 0) {
        for (EffectHandle* held : {&circle, &arrow}) {
            if (BaseEffect* effect = effects.Get(*held)) effect->Retire();
            *held = {};
        }
        trail = effects.Create("trajectory");
        if (BaseEffect* shown = effects.Get(trail)) {
            shown->SetBillboardSize(0.15f, 2.0f);
            shown->SetColor(0, 255, 255, 255);
            shown->SetPosition(racer.positionMatrix);
            shown->owner = this;
            shown->SetBillboardSize(1.2f, 8.0f);
        }
        return;
    }

    arrow = effects.Create("nextptarrow");
    if (auto* shown = dynamic_cast<NextPtArrow*>(effects.Get(arrow))) {
        shown->SetSize(0.7f, 1.0f);
        shown->SetColor(255, 0, 150, 255);
        shown->SetPosition(MatrixTranslation(0.0f, 0.0f, 2.5f));
        shown->owner = this;
        // Each person's arrow points them onward in their own view only.
        shown->ShowOnlyTo(racer.seat);
    }
    circle = effects.Create("pmcircle");
    if (BaseEffect* shown = effects.Get(circle)) {
        shown->SetSize(1.5f, 1.5f);
        shown->rotation = MatrixRotationY(1.0f * kDegToRad);
        shown->params[kCircleParamSpin] = 1.0f;
        shown->SetColor(200, 150, 150, 255);
        shown->owner = this;
    }
    if (BaseEffect* lights = effects.Get(effects.Create("maplightball"))) lights->owner = this;
    trail = {};
}

void Player::Follow(const race::RacerState& now, const race::RacerFx& fx) {
    racer = now;
    if (fx.throttleChance > 0) {
        if (EffectManager::Instance().Random(fx.throttleChance) == 0)
            ShedSpark(*this, kThrottleSpark1, fx.sparkRotation);
        if (fx.throttleBigSpark) ShedSpark(*this, kThrottleSpark2, fx.sparkRotation);
    }
    if (fx.handFlown) {
        const D3DXMATRIX turn = racer.pitchMatrix * racer.yawMatrix;
        if (fx.burstSpark) ShedSpark(*this, kBurstSpark, turn);
        if (racer.boosting) {
            if (fx.boostSpark) ShedSpark(*this, kBoostSpark, turn);
            StartCircleFade(circle, kCircleBoostSpin, 150, 200, 200, 50);
        } else {
            StartCircleFade(circle, racer.speed / racer.maxSpeed * kCircleSpeedSpin + 1.0f, 150, 150, 150, 255);
        }
        if (fx.checkPointSpark) {
            ShedSpark(*this, kCheckPointSpark, turn);
            StartCircleFade(circle, kCircleCheckPointSpin, 150, 255, 0, 0);
        }
    }
    Update();
}

D3DXMATRIX Player::DrawnMatrix() const {
    D3DXMATRIX drawn = racer.drawMatrix;
    drawn._41 += drawShift.x;
    drawn._42 += drawShift.y;
    drawn._43 += drawShift.z;
    return drawn;
}

void Player::Update() {
    if (animator) animator->AdvanceTime(1.0);
    if (skeleton && !skeleton->bones.empty()) skeleton->UpdateBoneMatrices(skeleton->bones[0].get(), DrawnMatrix());
}

void Player::Draw() {
    // Out of view a racer would cost the rasterizer all its faces for no pixel.
    const D3DXMATRIX drawn = DrawnMatrix();
    if (MapManager::Instance().OutsideFrustum(MatrixPosition(drawn), kRacerReach)) return;
    ModelShader& shader = ShaderManager::Instance().mainShader;
    if (skeleton && !skeleton->bones.empty()) {
        shader.SetMatrix("mW", drawn);
        if (tint.w > 0.0f) shader.SetVector("TakeColor", tint);
        shader.DrawSkinnedModel(*skeleton);
        if (tint.w > 0.0f) shader.SetVector("TakeColor", D3DXVECTOR4(0, 0, 0, 0));
    }
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (std::shared_ptr<SimpleLib::CMesh> mesh = broom.lock(); mesh && device) {
        const D3DXMATRIX world = broomOffset * drawn;
        device->SetTransform(D3DTS_WORLD, &world);
        mesh->Draw();
    }
}

void Player::Release() { trail = {}; }
