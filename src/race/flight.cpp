// One update of flight for a racer: a person's controls or the automatic pilot's inputs turn into
// yaw, pitch, throttle and boost; then orientation, motion with drift and roll, and contact with the
// course. What the racer's update shows (sparks, the circle, sounds) is only reported.
#include <algorithm>
#include <cmath>

#include "race/racer_step.h"

namespace race {

namespace {

// Throttle and speed.
constexpr float kSteeringThrottleFactor = 0.5f; // steering in an update halves the throttle gain
constexpr float kCoastFactor = 0.992f;          // speed kept per update without throttle
constexpr float kSmallestMovingSpeed = 0.000001f;

// Yaw.
constexpr float kYawStep = 0.03f;
constexpr float kHeldBoostYawStep = 0.01f; // boost still held after the burst
constexpr float kYawRateDecay = 0.95f;     // by hand, no turn
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
constexpr float kBoostHeadingBlend = 0.03f; // velocity bent towards the heading per update
constexpr float kThrustBlend = 0.1f;

// Drawn body.
constexpr float kHandDrift = 0.6f;
constexpr float kAutoDrift = 0.5f;
constexpr float kRollDegrees = -20.0f; // at full speed and full normal turn rate
const D3DXVECTOR3 kBroomTailPoint{0.0f, 1.0f, -1.2f};

constexpr float kBigSparkSpeedShare = 0.6f; // the big throttle spark shows below 60 % of maxSpeed

// yaw wraps to 0 past 360 and to 360 below 0 (not by subtracting a turn).
void WrapYaw(float& yaw) {
    if (yaw > 360.0f) {
        yaw = 0.0f;
    } else if (yaw < 0.0f) {
        yaw = 360.0f;
    }
}

void IntegrateAngles(RacerState& p, float maxPitch) {
    p.yaw += p.yawRate;
    WrapYaw(p.yaw);
    p.pitch += p.pitchRate;
    if (p.pitch > maxPitch) {
        p.pitch = maxPitch;
    } else if (p.pitch < -maxPitch) {
        p.pitch = -maxPitch;
    }
}

// Throttle sparks after the speed has grown this update; `chance` is the n of "one in n".
void ReportThrottleSparks(RacerStep& step, int chance) {
    const RacerState& p = step.racer;
    step.fx.throttleChance = std::max(chance, 1);
    step.fx.throttleBigSpark = p.speed < p.maxSpeed * kBigSparkSpeedShare || p.frozen;
    step.fx.sparkRotation = p.pitchMatrix * p.yawMatrix;
}

void Accelerate(RacerState& p, bool turned) {
    p.speed += p.acceleration * (turned ? kSteeringThrottleFactor : 1.0f);
    if (p.speed > p.maxSpeed) p.speed = p.maxSpeed;
}

void EndBoost(RacerStep& step) {
    if (step.racer.boosting) step.events.Add(EventKind::BoostStop, step.index);
    step.racer.boosting = false;
}

// Yaw, then pitch about the level axis across the nose; returns the level heading.
D3DXVECTOR3 OrientFromAngles(RacerState& p) {
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
void StepVelocity(RacerState& p, const D3DXVECTOR3& forward) {
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
float DriftDegrees(const RacerState& p, const D3DXVECTOR3& forward, float driftFactor) {
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

void OrientAndMove(RacerState& p, float driftFactor) {
    const D3DXVECTOR3 forward = OrientFromAngles(p);
    D3DXVECTOR3 position = p.Position();
    if (std::fabs(p.speed) >= kSmallestMovingSpeed) {
        StepVelocity(p, forward);
        position += p.velocity;
        D3DXMatrixTranslation(&p.positionMatrix, position.x, position.y, position.z);
        SetTranslationRow(p.orientation, position);
        p.drawMatrix = p.frozen ? p.orientation
                                : MatrixRotationY(DriftDegrees(p, forward, driftFactor) * kDegToRad) * p.orientation;
    } else {
        SetTranslationRow(p.orientation, position);
        p.drawMatrix = p.orientation;
    }

    const float roll = kRollDegrees * std::fabs(p.speed / p.maxSpeed) * p.yawRate / p.turnRateLimit;
    p.drawMatrix = MatrixRotationZ(roll * kDegToRad) * p.drawMatrix;
    D3DXVec3TransformCoord(&p.broomTail, &kBroomTailPoint, &p.drawMatrix);
}

// ---- flown by hand ------------------------------------------------------------------------------

namespace {

// Yaw without boost. Returns whether the racer steered. Both the step and the limit scale with how
// far the turn is held, so half a stick turns at half the rate.
bool HandYaw(RacerStep& step, float turn) {
    RacerState& p = step.racer;
    if (p.boosting) p.yawRate *= kLeaveBoostYawDecay;
    EndBoost(step);
    if (turn > 0.0f) {
        p.yawRate = std::min(p.yawRate + kYawStep * turn, p.turnRateLimit * turn);
        return true;
    }
    if (turn < 0.0f) {
        const float amount = -turn;
        p.yawRate = std::max(p.yawRate - kYawStep * amount, -p.turnRateLimit * amount);
        return true;
    }
    p.yawRate *= kYawRateDecay;
    return false;
}

// Yaw with boost held: starts a burst when none runs, then burst or held-boost turning.
bool HandBoostYaw(RacerStep& step, float turn) {
    RacerState& p = step.racer;
    if (!p.boosting && p.boostTimer <= 0.0f) {
        const D3DXVECTOR3 nose{0.0f, 0.0f, p.speed};
        D3DXVec3TransformNormal(&p.velocity, &nose, &p.orientation);
        p.boostTimer = kBoostFrames;
        p.boosting = true;
        step.events.Add(EventKind::BoostStart, step.index);
    }
    bool turned = false;
    if (p.boostTimer > 0.0f) {
        if (turn > 0.0f) {
            turned = true;
            if (p.yawRate < 0.0f) p.yawRate *= kCounterTurnDamping;
            p.yawRate = std::min(p.yawRate + kYawStep * turn, p.boostTurnRateLimit * turn);
        } else if (turn < 0.0f) {
            turned = true;
            const float amount = -turn;
            if (p.yawRate > 0.0f) p.yawRate *= kCounterTurnDamping;
            p.yawRate = std::max(p.yawRate - kYawStep * amount, -p.boostTurnRateLimit * amount);
        }
    }
    if (p.boostTimer <= 0.0f && p.boosting) {
        if (turn > 0.0f) {
            p.yawRate = std::min(p.yawRate + kHeldBoostYawStep * turn, p.boostTurnRateLimit * turn);
            turned = true;
        } else if (turn < 0.0f) {
            const float amount = -turn;
            p.yawRate = std::max(p.yawRate - kHeldBoostYawStep * amount, -p.boostTurnRateLimit * amount);
            turned = true;
        }
    }
    return turned;
}

// The nose-up key has priority over nose-down; only nose-down counts as steering.
bool HandPitch(RacerState& p, float pitch) {
    if (pitch > 0.0f) {
        p.pitchRate -= static_cast<float>(p.pitchSign) * kPitchStep * pitch;
        return false;
    }
    if (pitch < 0.0f) {
        p.pitchRate += static_cast<float>(p.pitchSign) * kPitchStep * -pitch;
        return true;
    }
    p.pitch *= kPitchReturn;
    return false;
}

void HandThrottle(RacerStep& step, bool throttle, bool turned) {
    RacerState& p = step.racer;
    if (throttle) {
        Accelerate(p, turned);
        ReportThrottleSparks(step, static_cast<int>((1.0f - p.speed / p.maxSpeed) * 10.0f + 1.0f));
    } else {
        p.speed *= kCoastFactor;
    }
}

// The burst runs down, boosting wears the celebration off, and what the update shows is reported.
void HandAfterglow(RacerStep& step) {
    RacerState& p = step.racer;
    RacerFx& fx = step.fx;
    fx.handFlown = true;
    if (p.boostTimer > 0.0f) {
        fx.burstSpark = true;
        p.boostTimer -= 1.0f;
    }
    if (p.boosting) {
        fx.boostSpark = true;
        p.celebration -= 1;
    }
    if (p.celebration > 0) {
        fx.checkPointSpark = true;
        p.celebration -= 1;
    }
}

} // namespace

void HandFlightStep(RacerStep& step, const Controls& controls) {
    RacerState& p = step.racer;
    p.detouring = false; // only the automatic pilot plans detours
    const float maxPitch = p.speed / p.maxSpeed * kPitchLimitDegrees;
    if (controls.swapNose) p.pitchSign = -p.pitchSign;
    bool turned = controls.boost ? HandBoostYaw(step, controls.turn) : HandYaw(step, controls.turn);
    turned = HandPitch(p, controls.pitch) || turned;
    if (p.frozen) {
        p.yawRate = 0.0f;
        p.pitchRate = 0.0f;
        p.boostTimer = 0.0f;
    }
    IntegrateAngles(p, maxPitch);
    if (!p.boosting) HandThrottle(step, controls.throttle, turned);
    OrientAndMove(p, kHandDrift);
    CollideAndPassCheckPoints(step);
    p.pitchRate *= kPitchRateDecay;
    HandAfterglow(step);
}

// ---- the automatic pilot's flight ---------------------------------------------------------------

namespace {

bool AutoYaw(RacerStep& step) {
    RacerState& p = step.racer;
    if (p.boosting) {
        // Only a person's racer handed to the automatic pilot during a boost gets here (by its
        // toggle, or at the finish).
        p.yawRate *= kLeaveBoostYawDecay;
        EndBoost(step);
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
bool AutoPitch(RacerState& p) {
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

void AutoThrottle(RacerStep& step, bool turned) {
    RacerState& p = step.racer;
    // A rival whose top speed dropped with her pace on a new leg eases off the way coasting would.
    if (p.rival.who >= 0 && p.throttleInput && p.speed > p.maxSpeed) {
        p.speed = std::max(p.speed * kCoastFactor, p.maxSpeed);
    } else if (p.throttleInput) {
        Accelerate(p, turned);
        ReportThrottleSparks(step, static_cast<int>((p.maxSpeed + 0.5f - p.speed) * 10.0f));
    } else {
        p.speed *= kCoastFactor;
    }
}

} // namespace

void AutoFlightStep(RacerStep& step) {
    RacerState& p = step.racer;
    const float maxPitch = p.speed / p.maxSpeed * kPitchLimitDegrees;
    p.throttleInput = true;
    if (p.rival.who >= 0) PlanRivalLeg(step);
    Steer(step);
    if (p.startDelay > 0) {
        p.startDelay -= 1;
        p.throttleInput = false;
    }
    if (p.rival.who >= 0 && RivalLapses(p)) p.throttleInput = false;
    bool turned = AutoYaw(step);
    turned = AutoPitch(p) || turned;
    if (p.frozen) {
        p.yawRate = 0.0f;
        p.pitchRate = 0.0f;
    }
    IntegrateAngles(p, maxPitch);
    AutoThrottle(step, turned);
    OrientAndMove(p, kAutoDrift);
    CollideAndPassCheckPoints(step);
    p.pitchRate *= kPitchRateDecay;
}

} // namespace race
