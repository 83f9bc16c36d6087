// The automatic pilot: plans its way to the next checkpoint round the scenery in its way, and
// steers by setting the same inputs a person would give (plus the small direct corrections it is
// allowed inside its dead band).
#include <algorithm>
#include <cmath>

#include "race/racer_step.h"

namespace race {

namespace {

constexpr float kLookAheadRange = 500.0f;
constexpr float kSharpTurnRangeInReaches = 10.0f;
constexpr float kSharpTurnAngle = 90.0f;
constexpr float kSharpTurnSpeedShare = 1.0f / 3.0f;
constexpr float kYawCorrection = 0.8f;   // share of the yaw error taken directly inside the dead band
constexpr float kPitchCorrection = 1.0f; // share of the pitch error taken directly inside the dead band
constexpr float kThrottleReleaseSpan = 100.0f;
constexpr float kThrottleReleaseMinimum = 5.0f;
constexpr float kCloseTurnAngle = 30.0f;
constexpr float kCloseTurnDistance = 30.0f;
constexpr float kDetourSideSpan = 90.0f;
constexpr float kDetourSideMinimum = 30.0f;
constexpr float kAheadDot = 0.01f;

const D3DXVECTOR3 kUp{0.0f, 1.0f, 0.0f};
const D3DXVECTOR3 kAhead{0.0f, 0.0f, 1.0f};

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    const D3DXVECTOR3 d = a - b;
    return D3DXVec3Length(&d);
}

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v) {
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

// Angle in degrees between two unit vectors.
float AngleBetween(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return std::acos(std::clamp(D3DXVec3Dot(&a, &b), -1.0f, 1.0f)) * kRadToDeg;
}

const D3DXVECTOR3& CheckPointPosition(const RacerStep& step, std::int32_t index) {
    return step.course.checkPoints[static_cast<std::size_t>(index)].position;
}

// The nearest object that stands between start and target within its radius of the line, or the
// number of objects when none does.
std::size_t NearestObstacle(const Course& course, const D3DXVECTOR3& start, const D3DXVECTOR3& target) {
    const D3DXVECTOR3 startToTarget = target - start;
    const D3DXVECTOR3 towardTarget = Normalized(startToTarget);
    const D3DXVECTOR3 towardStart = Normalized(start - target);
    const float length = D3DXVec3Length(&startToTarget);
    std::size_t obstacle = course.objects.size();
    float nearest = 0.0f;
    for (std::size_t i = 0; i < course.objects.size(); ++i) {
        const CourseObject& object = course.objects[i];
        if (object.ground) continue;
        const D3DXVECTOR3& centre = course.PositionOf(i);
        const D3DXVECTOR3 fromStart = Normalized(centre - start);
        const D3DXVECTOR3 fromTarget = Normalized(centre - target);
        if (D3DXVec3Dot(&fromStart, &towardTarget) < kAheadDot) continue;
        if (D3DXVec3Dot(&fromTarget, &towardStart) < kAheadDot) continue;
        D3DXVECTOR3 cross;
        const D3DXVECTOR3 offset = centre - start;
        D3DXVec3Cross(&cross, &startToTarget, &offset);
        if (!(D3DXVec3Length(&cross) / length < object.radius)) continue;
        const float distance = Distance(centre, start);
        if (obstacle == course.objects.size() || distance < nearest) {
            obstacle = i;
            nearest = distance;
        }
    }
    return obstacle;
}

} // namespace

bool WayBlocked(const RacerStep& step, const D3DXVECTOR3& start, const D3DXVECTOR3& target) {
    const std::size_t obstacle = NearestObstacle(step.course, start, target);
    if (obstacle == step.course.objects.size()) return false;
    std::uint32_t face = 0;
    float hitDistance = 0.0f;
    return RayTest(step.course.objects[obstacle], step.course.WorldAt(obstacle, step.update), start, target - start,
                   true, &face, &hitDistance);
}

bool PlanWaypoint(RacerStep& step, const D3DXVECTOR3& target, const D3DXVECTOR3& start, D3DXVECTOR3* point) {
    RacerState& p = step.racer;
    const Course& course = step.course;
    const D3DXVECTOR3 startToTarget = target - start;
    const D3DXVECTOR3 towardTarget = Normalized(startToTarget);
    const std::size_t obstacle = NearestObstacle(course, start, target);
    *point = target;
    if (obstacle == course.objects.size()) return true;
    const D3DXMATRIX obstacleWorld = course.WorldAt(obstacle, step.update);
    std::uint32_t face = 0;
    float hitDistance = 0.0f;
    if (!RayTest(course.objects[obstacle], obstacleWorld, start, startToTarget, true, &face, &hitDistance)) return true;

    // Detour: the point of the obstacle's bounding circle (at its height) on the side the line passes.
    const D3DXVECTOR3& centre = course.PositionOf(obstacle);
    const D3DXVECTOR3 startToCentre = centre - start;
    const D3DXVECTOR3 foot = start + towardTarget * D3DXVec3Dot(&startToCentre, &towardTarget);
    const D3DXVECTOR3 side = Normalized(D3DXVECTOR3{foot.x - centre.x, 0.0f, foot.z - centre.z});
    const float r = course.objects[obstacle].radius;
    D3DXVECTOR3 detour{centre.x + side.x * r, centre.y, centre.z + side.z * r};

    // A detour too far off the nose for the present speed is taken on the other side.
    D3DXVECTOR3 nose;
    D3DXVec3TransformNormal(&nose, &kAhead, &p.orientation);
    const float sideLimit = (1.0f - p.speed / p.maxSpeed) * kDetourSideSpan + kDetourSideMinimum;
    if (AngleBetween(nose, Normalized(detour - start)) > sideLimit) {
        detour = D3DXVECTOR3{centre.x - side.x * r, centre.y, centre.z - side.z * r};
    }
    p.waypoints.push_front(detour);
    *point = detour;
    return false;
}

namespace {

// Steering steps 8 to 10: the one angle to the target drives both axes; signs come from its parts.
void SteerTowards(RacerState& p, const D3DXVECTOR3& probe, const D3DXVECTOR3& target, float releaseAngle) {
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &p.orientation)) return;
    D3DXVECTOR3 local;
    const D3DXVECTOR3 toTarget = target - probe;
    D3DXVec3TransformNormal(&local, &toTarget, &inverse);
    const float length = D3DXVec3Length(&local);
    const float alpha = length > 0.0f ? std::acos(std::clamp(local.z / length, -1.0f, 1.0f)) * kRadToDeg : 0.0f;
    const float deadBand = p.turnRateLimit;

    float error = local.x < 0.0f ? -alpha : alpha;
    if (error > deadBand) {
        p.rightInput = true;
        p.leftInput = false;
    } else if (error < -deadBand) {
        p.leftInput = true;
        p.rightInput = false;
    } else {
        p.yaw += error * kYawCorrection;
        if (p.yaw > 360.0f) {
            p.yaw = 0.0f;
        } else if (p.yaw < 0.0f) {
            p.yaw = 360.0f;
        }
        p.yawRate = 0.0f;
        p.rightInput = false;
        p.leftInput = false;
    }
    if (std::fabs(error) > releaseAngle) p.throttleInput = false;
    if (std::fabs(error) > kCloseTurnAngle && Distance(probe, target) < kCloseTurnDistance) p.throttleInput = false;

    error = local.y < 0.0f ? -alpha : alpha;
    if (error > deadBand) {
        p.pitchUpInput = true;
        p.pitchDownInput = false;
    } else if (error < -deadBand) {
        p.pitchDownInput = true;
        p.pitchUpInput = false;
    } else {
        p.pitch += error * kPitchCorrection;
        p.pitchRate = 0.0f;
        p.pitchUpInput = false;
        p.pitchDownInput = false;
    }
}

} // namespace

void Steer(RacerStep& step) {
    RacerState& p = step.racer;
    const auto count = static_cast<std::int32_t>(step.course.checkPoints.size());
    if (count == 0) return;
    if (p.nextCheckPoint < 0 || p.nextCheckPoint >= count) p.nextCheckPoint = 0;

    const D3DXVECTOR3 probe = p.Position() + kUp;
    const D3DXVECTOR3& centre = CheckPointPosition(step, p.nextCheckPoint);
    const D3DXVECTOR3 checkPoint = p.rival.who < 0 ? centre : RivalAim(step, centre);
    D3DXVECTOR3 target;
    p.detouring = !PlanWaypoint(step, checkPoint, probe, &target);
    if (!p.detouring) {
        p.waypoints.clear();
        p.noCollision = false;
        target = checkPoint;
    } else {
        if (p.waypoints.empty()) p.waypoints.push_back(checkPoint);
        target = p.waypoints.front();
        if (Distance(probe, target) < p.reach) {
            p.noCollision = false;
            p.waypoints.pop_front();
            // the last detour reached: head for the checkpoint itself
            target = p.waypoints.empty() ? checkPoint : p.waypoints.front();
        }
        PlanWaypoint(step, target, probe, &target);
    }

    const float distance = Distance(probe, target);
    const float releaseAngle = (1.0f - p.speed / p.maxSpeed) * kThrottleReleaseSpan + kThrottleReleaseMinimum;
    if (distance < kLookAheadRange) {
        const std::int32_t following = p.nextCheckPoint + 1 < count ? p.nextCheckPoint + 1 : 0;
        D3DXVECTOR3 lookAhead;
        if (target == checkPoint) {
            lookAhead = CheckPointPosition(step, following);
        } else {
            lookAhead = p.waypoints.empty() ? checkPoint : p.waypoints.front();
        }
        D3DXVECTOR3 beyond;
        PlanWaypoint(step, lookAhead, target, &beyond);
        const D3DXVECTOR3 nextLeg = Normalized(beyond - target);
        if (distance < p.reach * kSharpTurnRangeInReaches) {
            D3DXVECTOR3 nose;
            D3DXVec3TransformNormal(&nose, &kAhead, &p.orientation);
            if (AngleBetween(nose, nextLeg) > kSharpTurnAngle && p.speed > p.maxSpeed * kSharpTurnSpeedShare) {
                p.throttleInput = false;
            }
        }
        beyond = target + nextLeg * (p.speed * distance);
        // 0.5 O + 0.5625 P − 0.0625 Q: about halfway to the target, bent early into the next leg.
        D3DXVec3CatmullRom(&target, &probe, &probe, &target, &beyond, 0.5f);
    }
    SteerTowards(p, probe, target, releaseAngle);
}

} // namespace race
