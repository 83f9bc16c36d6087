// One frame of flight for a racer: keys or the automatic pilot's inputs turn into yaw, pitch, throttle
// and boost; then orientation, motion with drift and roll, collision, and the keyboard racer's effects.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "platform/window/input.h"
#include "player/player.h"
#include "scenes/key_latches.h"
#include "sound/sound_manager.h"

namespace {

constexpr int kKeyR = 0x52;

// Throttle and speed.
constexpr float kSteeringThrottleFactor = 0.5f; // steering in a frame halves the throttle gain
constexpr float kCoastFactor = 0.992f;          // speed kept per frame without throttle
constexpr float kSmallestMovingSpeed = 0.000001f;

// Yaw.
constexpr float kYawStep = 0.03f;
constexpr float kHeldBoostYawStep = 0.01f; // boost key still held after the burst
constexpr float kYawRateDecay = 0.95f;     // keyboard, no turn key
constexpr float kLeaveBoostYawDecay = 0.9f;
constexpr float kAutoYawRateDecay = 0.9f;   // automatic pilot without turn input
constexpr float kCounterTurnDamping = 0.8f; // turning against the rate during the burst

// Pitch.
constexpr float kPitchStep = 0.03f;
constexpr float kPitchReturn = 0.975f;
constexpr float kPitchRateDecay = 0.95f;
constexpr float kPitchLimitDegrees = 80.0f; // at full speed

// Boost.
constexpr float kBoostFrames = 30.0f;
constexpr float kBoostHeadingBlend = 0.03f; // velocity bent towards the heading per frame
constexpr float kThrustBlend = 0.1f;

// Drawn body.
constexpr float kKeyboardDrift = 0.6f;
constexpr float kAutoDrift = 0.5f;
constexpr float kRollDegrees = -20.0f; // at full speed and full normal turn rate
const D3DXVECTOR3 kBroomTailPoint{0.0f, 1.0f, -1.2f};

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
constexpr float kSlowSparkSpeedShare = 0.6f; // the big throttle spark shows below 60 % of maxSpeed

// The circle under the keyboard racer: spin (degrees per frame) and colour target.
constexpr int kCircleParamSpin = 9;
constexpr float kCircleBoostSpin = 10.0f;
constexpr float kCircleCheckPointSpin = 15.0f;
constexpr float kCircleSpeedSpin = 4.0f; // added at full speed to the base spin of 1
constexpr int kCircleFadeStep = 10;

bool KeyHeld(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
// 1 for a key; a pad stick turns and pitches in proportion to its deflection.
float KeyAmount(int virtualKey) { return platform::input::KeyAmount(virtualKey); }

void StartCircleFade(BaseEffect* circle, float spin, int a, int r, int g, int b) {
    if (!circle) return;
    circle->params[kCircleParamSpin] = spin;
    circle->StartColorFade(a, r, g, b, kCircleFadeStep);
}

} // namespace

// ---- shared pieces ------------------------------------------------------------------------------

namespace {

// yaw wraps to 0 past 360 and to 360 below 0 (not by subtracting a turn).
void WrapYaw(float& yaw) {
    if (yaw > 360.0f) {
        yaw = 0.0f;
    } else if (yaw < 0.0f) {
        yaw = 360.0f;
    }
}

void IntegrateAngles(Player& p, float maxPitch) {
    p.yaw += p.yawRate;
    WrapYaw(p.yaw);
    p.pitch += p.pitchRate;
    if (p.pitch > maxPitch) {
        p.pitch = maxPitch;
    } else if (p.pitch < -maxPitch) {
        p.pitch = -maxPitch;
    }
}

void ShedSpark(Player& p, const SparkKind& kind) {
    BaseEffect* spark = EffectManager::Instance().Create("broomeffect");
    if (!spark) return;
    const float size = static_cast<float>(std::rand() % 5) * kind.sizeFactor;
    spark->SetBillboardSize(size, size);
    spark->rotation = p.pitchMatrix * p.yawMatrix;
    spark->owner = &p;
    spark->SetColor(kind.a, kind.r, kind.g, kind.b);
    if (kind.placedAtBroom) spark->SetPosition(p.broomOffset);
    spark->SetSpeed(kind.speed);
}

// Throttle sparks after the speed has grown this frame; `chance` is the n of "one in n".
void ShedThrottleSparks(Player& p, int chance) {
    if (chance < 1) chance = 1;
    if (std::rand() % chance == 0) ShedSpark(p, kThrottleSpark1);
    if (p.speed < p.maxSpeed * kSlowSparkSpeedShare || p.frozen) ShedSpark(p, kThrottleSpark2);
}

void Accelerate(Player& p, bool turned) {
    p.speed += p.acceleration * (turned ? kSteeringThrottleFactor : 1.0f);
    if (p.speed > p.maxSpeed) p.speed = p.maxSpeed;
}

// Yaw, then pitch about the level axis across the nose; returns the level heading.
D3DXVECTOR3 OrientFromAngles(Player& p) {
    D3DXMatrixRotationY(&p.yawMatrix, p.yaw * kDegToRad);
    const D3DXVECTOR3 ahead{0.0f, 0.0f, 1.0f};
    D3DXVECTOR3 forward;
    D3DXVec3TransformNormal(&forward, &ahead, &p.yawMatrix);

    D3DXVECTOR3 axis{-forward.z, 0.0f, forward.x};
    D3DXVec3Normalize(&axis, &axis);
    D3DXMatrixRotationAxis(&p.pitchMatrix, &axis, p.pitch * kDegToRad);
    p.orientation = p.yawMatrix * p.pitchMatrix;
    return forward;
}

// The velocity turns towards the thrust (the nose, or the level heading while boosting) and never
// exceeds the speed; a frozen racer does not move.
void StepVelocity(Player& p, const D3DXVECTOR3& forward) {
    D3DXVECTOR3 thrust;
    if (!p.boosting) {
        const D3DXVECTOR3 nose{0.0f, 0.0f, p.speed};
        D3DXVec3TransformNormal(&thrust, &nose, &p.orientation);
        thrust *= kThrustBlend;
    } else {
        thrust = forward * kBoostHeadingBlend;
    }
    p.velocity += thrust;
    if (D3DXVec3Length(&p.velocity) > p.speed) {
        D3DXVec3Normalize(&p.velocity, &p.velocity);
        p.velocity *= p.speed;
    }
    if (p.frozen) p.velocity *= 0.0f;
}

// Drift: the drawn body turns part of the way from the nose towards the direction of travel.
float DriftDegrees(const Player& p, const D3DXVECTOR3& forward, float driftFactor) {
    D3DXVECTOR3 travel{p.velocity.x, 0.0f, p.velocity.z};
    D3DXVec3Normalize(&travel, &travel);
    D3DXVECTOR3 heading{forward.x, 0.0f, forward.z};
    D3DXVec3Normalize(&heading, &heading);
    const float cosine = std::clamp(D3DXVec3Dot(&heading, &travel), -1.0f, 1.0f);
    float drift = std::acos(cosine) * kRadToDeg * driftFactor;
    if (heading.z * p.velocity.x - p.velocity.z * heading.x > 0.0f) drift = -drift;
    return drift;
}

void SetTranslationRow(D3DXMATRIX& m, const D3DXVECTOR3& position) {
    m._41 = position.x;
    m._42 = position.y;
    m._43 = position.z;
}

} // namespace

void Player::OrientAndMove(float driftFactor) {
    const D3DXVECTOR3 forward = OrientFromAngles(*this);
    D3DXVECTOR3 position = Position();
    if (std::fabs(speed) >= kSmallestMovingSpeed) {
        StepVelocity(*this, forward);
        position += velocity;
        D3DXMatrixTranslation(&positionMatrix, position.x, position.y, position.z);
        SetTranslationRow(orientation, position);
        drawMatrix =
            frozen ? orientation : MatrixRotationY(DriftDegrees(*this, forward, driftFactor) * kDegToRad) * orientation;
    } else {
        SetTranslationRow(orientation, position);
        drawMatrix = orientation;
    }

    const float roll = kRollDegrees * std::fabs(speed / maxSpeed) * yawRate / turnRateLimit;
    drawMatrix = MatrixRotationZ(roll * kDegToRad) * drawMatrix;
    D3DXVec3TransformCoord(&broomTail, &kBroomTailPoint, &drawMatrix);
}

// ---- keyboard flight ----------------------------------------------------------------------------

namespace {

void ToggleInvertedPitch(Player& p) {
    if (KeyPressed(kKeyR, invertPitchLatch)) p.pitchSign = -p.pitchSign;
}

// Yaw without the boost key. Returns whether the racer steered. Both the step and the limit scale
// with how far the turn is held, so half a stick turns at half the rate.
bool KeyboardYaw(Player& p) {
    if (p.boosting) p.yawRate *= kLeaveBoostYawDecay;
    p.boosting = false;
    if (KeyHeld(VK_RIGHT)) {
        const float amount = KeyAmount(VK_RIGHT);
        p.yawRate = std::min(p.yawRate + kYawStep * amount, p.turnRateLimit * amount);
        return true;
    }
    if (KeyHeld(VK_LEFT)) {
        const float amount = KeyAmount(VK_LEFT);
        p.yawRate = std::max(p.yawRate - kYawStep * amount, -p.turnRateLimit * amount);
        return true;
    }
    p.yawRate *= kYawRateDecay;
    return false;
}

// Yaw with the boost key held: starts a burst when none runs, then burst or held-boost turning.
bool KeyboardBoostYaw(Player& p) {
    if (!p.boosting && p.boostTimer <= 0.0f) {
        const D3DXVECTOR3 nose{0.0f, 0.0f, p.speed};
        D3DXVec3TransformNormal(&p.velocity, &nose, &p.orientation);
        p.boostTimer = kBoostFrames;
        p.boosting = true;
        SoundManager::Instance().Play(1, "fly");
    }
    bool turned = false;
    if (p.boostTimer > 0.0f) {
        if (KeyHeld(VK_RIGHT)) {
            turned = true;
            const float amount = KeyAmount(VK_RIGHT);
            if (p.yawRate < 0.0f) p.yawRate *= kCounterTurnDamping;
            p.yawRate = std::min(p.yawRate + kYawStep * amount, p.boostTurnRateLimit * amount);
        } else if (KeyHeld(VK_LEFT)) {
            turned = true;
            const float amount = KeyAmount(VK_LEFT);
            if (p.yawRate > 0.0f) p.yawRate *= kCounterTurnDamping;
            p.yawRate = std::max(p.yawRate - kYawStep * amount, -p.boostTurnRateLimit * amount);
        }
    }
    if (p.boostTimer <= 0.0f && p.boosting) {
        if (KeyHeld(VK_RIGHT)) {
            const float amount = KeyAmount(VK_RIGHT);
            p.yawRate = std::min(p.yawRate + kHeldBoostYawStep * amount, p.boostTurnRateLimit * amount);
            turned = true;
        } else if (KeyHeld(VK_LEFT)) {
            const float amount = KeyAmount(VK_LEFT);
            p.yawRate = std::max(p.yawRate - kHeldBoostYawStep * amount, -p.boostTurnRateLimit * amount);
            turned = true;
        }
    }
    return turned;
}

// Up has priority over Down; only Down counts as steering.
bool KeyboardPitch(Player& p) {
    if (KeyHeld(VK_UP)) {
        p.pitchRate -= static_cast<float>(p.pitchSign) * kPitchStep * KeyAmount(VK_UP);
        return false;
    }
    if (KeyHeld(VK_DOWN)) {
        p.pitchRate += static_cast<float>(p.pitchSign) * kPitchStep * KeyAmount(VK_DOWN);
        return true;
    }
    p.pitch *= kPitchReturn;
    return false;
}

void KeyboardThrottle(Player& p, bool turned) {
    if (KeyHeld(VK_SPACE)) {
        Accelerate(p, turned);
        const int chance = static_cast<int>((1.0f - p.speed / p.maxSpeed) * 10.0f + 1.0f);
        ShedThrottleSparks(p, chance);
    } else {
        p.speed *= kCoastFactor;
    }
}

// Burst, boost and checkpoint sparks, the circle's spin and colour, and the "fly" stop.
void KeyboardEffects(Player& p) {
    if (p.boostTimer > 0.0f) {
        ShedSpark(p, kBurstSpark);
        p.boostTimer -= 1.0f;
    }
    if (p.boosting) {
        ShedSpark(p, kBoostSpark);
        p.celebration -= 1;
        StartCircleFade(p.circle, kCircleBoostSpin, 150, 200, 200, 50);
    } else {
        StartCircleFade(p.circle, p.speed / p.maxSpeed * kCircleSpeedSpin + 1.0f, 150, 150, 150, 255);
    }
    if (p.celebration > 0) {
        ShedSpark(p, kCheckPointSpark);
        p.celebration -= 1;
        StartCircleFade(p.circle, kCircleCheckPointSpin, 150, 255, 0, 0);
    }
    if (!p.boosting) SoundManager::Instance().Stop("fly");
}

} // namespace

void Player::KeyboardFlightStep() {
    detouring = false; // only the automatic pilot plans detours
    const float maxPitch = speed / maxSpeed * kPitchLimitDegrees;
    ToggleInvertedPitch(*this);
    bool turned = KeyHeld(VK_SHIFT) ? KeyboardBoostYaw(*this) : KeyboardYaw(*this);
    turned = KeyboardPitch(*this) || turned;
    if (frozen) {
        yawRate = 0.0f;
        pitchRate = 0.0f;
        boostTimer = 0.0f;
    }
    IntegrateAngles(*this, maxPitch);
    if (!boosting) KeyboardThrottle(*this, turned);
    OrientAndMove(kKeyboardDrift);
    CollideAndPassCheckPoints();
    pitchRate *= kPitchRateDecay;
    KeyboardEffects(*this);
}

// ---- automatic flight ---------------------------------------------------------------------------

namespace {

bool AutoYaw(Player& p) {
    if (p.boosting) {
        // Only the keyboard racer handed to the automatic pilot during a boost gets here (C, or the
        // finish). The keyboard step that would stop its looping sound no longer runs, so stop it here.
        p.yawRate *= kLeaveBoostYawDecay;
        p.boosting = false;
        SoundManager::Instance().Stop("fly");
    }
    if (p.rightInput) {
        if (p.yawRate < 0.0f) p.yawRate = 0.0f;
        p.yawRate = std::min(p.yawRate + kYawStep, p.turnRateLimit);
        return true;
    }
    if (p.leftInput) {
        if (p.yawRate > 0.0f) p.yawRate = 0.0f;
        p.yawRate = std::max(p.yawRate - kYawStep, -p.turnRateLimit);
        return true;
    }
    p.yawRate *= kAutoYawRateDecay;
    return false;
}

// Pitch-down has priority; only pitch-up counts as steering.
bool AutoPitch(Player& p) {
    if (p.pitchDownInput) {
        if (p.pitchRate > 0.0f) p.pitchRate = 0.0f;
        p.pitchRate -= kPitchStep;
        return false;
    }
    if (p.pitchUpInput) {
        if (p.pitchRate < 0.0f) p.pitchRate = 0.0f;
        p.pitchRate += kPitchStep;
        return true;
    }
    p.pitch *= kPitchReturn;
    return false;
}

void AutoThrottle(Player& p, bool turned) {
    if (p.throttleInput) {
        Accelerate(p, turned);
        const int chance = static_cast<int>((p.maxSpeed + 0.5f - p.speed) * 10.0f);
        ShedThrottleSparks(p, chance);
    } else {
        p.speed *= kCoastFactor;
    }
}

} // namespace

void Player::AutoFlightStep() {
    const float maxPitch = speed / maxSpeed * kPitchLimitDegrees;
    throttleInput = true;
    Steer();
    if (startDelay > 0) {
        startDelay -= 1;
        throttleInput = false;
    }
    bool turned = AutoYaw(*this);
    turned = AutoPitch(*this) || turned;
    if (frozen) {
        yawRate = 0.0f;
        pitchRate = 0.0f;
    }
    IntegrateAngles(*this, maxPitch);
    AutoThrottle(*this, turned);
    OrientAndMove(kAutoDrift);
    CollideAndPassCheckPoints();
    pitchRate *= kPitchRateDecay;
}
