// A racer and the course: ray collision with the scenery, checkpoint passage and the finish, and the
// automatic pilot's planning (detours around obstacles) and steering (the six inputs).
#include <algorithm>
#include <cmath>

#include "map/check_point.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "map/map_object.h"
#include "map/object_mesh.h"
#include "map/parent_map_object.h"
#include "platform/mesh/mesh.h"
#include "player/player.h"
#include "player/player_manager.h"
#include "sound/sound_manager.h"

namespace {

constexpr float kContactSpeedKept = 0.95f;
constexpr float kStuckSpeed = 0.3f; // an automatic racer slower than this after a contact flies through
constexpr std::int32_t kCelebrationFrames = 50;

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
constexpr const char* kGroundKind = "Ground"; // the planner never plans around the ground

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

D3DXVECTOR3 ObjectPosition(const NEditer::MapObject& object) { return MatrixPosition(object.world); }

// Ray test against an object's model in its own space. The direction is taken as given, so with an
// unnormalised direction the distance stays in world units.
bool RayTest(const NEditer::MapObject& object, const D3DXVECTOR3& worldOrigin, const D3DXVECTOR3& worldDirection,
             bool normaliseDirection, std::uint32_t* face, float* distance) {
    if (!object.mesh || !object.mesh->mesh) return false;
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &object.world)) return false;
    D3DXVECTOR3 origin, direction;
    D3DXVec3TransformCoord(&origin, &worldOrigin, &inverse);
    D3DXVec3TransformNormal(&direction, &worldDirection, &inverse);
    if (normaliseDirection) D3DXVec3Normalize(&direction, &direction);
    BOOL hit = FALSE;
    DWORD faceIndex = 0;
    float u = 0, v = 0, dist = 0;
    D3DXIntersect(object.mesh->mesh.get(), &origin, &direction, &hit, &faceIndex, &u, &v, &dist);
    if (!hit) return false;
    *face = faceIndex;
    *distance = dist;
    return true;
}

std::vector<CheckPoint*>& CheckPoints() { return CourseManager::Instance().checkPoints; }

D3DXVECTOR3 CheckPointPosition(std::size_t index) { return MatrixPosition(CheckPoints()[index]->world); }

} // namespace

// ---- collision and checkpoints ------------------------------------------------------------------

namespace {

// Pushes the racer out along the hit face's normal so that it stands `reach` from the face.
void PushOut(Player& p, const NEditer::MapObject& object, std::uint32_t face, float distance) {
    D3DXVECTOR3 normal{0, 0, 0};
    const NEditer::ParentMapObject* kind = MapManager::Instance().FindDefinition(object.name);
    if (kind && face < kind->faceNormals.size()) {
        D3DXVec3TransformNormal(&normal, &kind->faceNormals[face], &object.world);
        D3DXVec3Normalize(&normal, &normal);
    }
    const D3DXVECTOR3 push = normal * (p.reach - distance);
    p.positionMatrix = p.positionMatrix * MatrixTranslation(push.x, push.y, push.z);
    p.speed *= kContactSpeedKept;
    p.orientation._41 = p.positionMatrix._41;
    p.orientation._42 = p.positionMatrix._42;
    p.orientation._43 = p.positionMatrix._43;
    p.drawMatrix = p.orientation;
    p.touched = &object;
    if (p.autoPilot == 1 && p.speed < kStuckSpeed) p.noCollision = true;
}

// At most one contact a frame: the first object in list order whose ray hit lies nearer than reach.
void Collide(Player& p, const D3DXVECTOR3& probe) {
    // A racer standing still casts no ray.
    if (D3DXVec3LengthSq(&p.velocity) == 0.0f) return;
    const D3DXVECTOR3 direction = Normalized(p.velocity);
    for (NEditer::MapObject* object : MapManager::Instance().objects) {
        if (!object) continue;
        if (Distance(probe, ObjectPosition(*object)) > p.reach + object->radius) continue;
        std::uint32_t face = 0;
        float distance = 0.0f;
        if (!RayTest(*object, probe, direction, false, &face, &distance)) continue;
        if (!(distance < p.reach)) continue;
        PushOut(p, *object, face, distance);
        return;
    }
}

bool IsKeyboardRacer(const Player& p) { return PlayerManager::Instance().user.lock().get() == &p; }

void StopRaceClock() { MapManager::Instance().timer.stopped = true; }

} // namespace

void Player::CollideAndPassCheckPoints() {
    D3DXVECTOR3 probe;
    D3DXVec3TransformCoord(&probe, &kUp, &orientation);
    touched = nullptr;
    if (!noCollision) Collide(*this, probe);

    const auto count = static_cast<std::int32_t>(CheckPoints().size());
    if (count == 0) return; // the game refuses such a course before the race
    if (nextCheckPoint < 0 || nextCheckPoint >= count) nextCheckPoint = 0;

    const CheckPoint& next = *CheckPoints()[nextCheckPoint];
    if (Distance(probe, MatrixPosition(next.world)) < next.radius) {
        nextCheckPoint += 1;
        if (autoPilot == 1) {
            if (nextCheckPoint > count - 1) {
                nextCheckPoint = 0;
                finished = true;
                // The keyboard racer handed to the automatic pilot finishes here too: its clock must
                // stop just as on the keyboard route, or the result screen would show a running time.
                if (IsKeyboardRacer(*this)) StopRaceClock();
            }
            waypoints.clear();
            waypoints.push_back(CheckPointPosition(nextCheckPoint));
        }
        if (autoPilot == 0) SoundManager::Instance().Play(0, "get");
        celebration = kCelebrationFrames;
    }

    // Only a racer that passed the last checkpoint on the keyboard gets here; the others wrapped above.
    if (nextCheckPoint > count - 1) {
        StopRaceClock();
        finished = true;
        autoPilot = 1;
        celebration = 0;
        boostTimer = 0.0f;
        nextCheckPoint = 0;
    }
}

// ---- automatic pilot ----------------------------------------------------------------------------

bool Player::PlanWaypoint(const D3DXVECTOR3& target, const D3DXVECTOR3& start, D3DXVECTOR3* point) {
    const D3DXVECTOR3 startToTarget = target - start;
    const D3DXVECTOR3 towardTarget = Normalized(startToTarget);
    const D3DXVECTOR3 towardStart = Normalized(start - target);
    const float length = D3DXVec3Length(&startToTarget);

    // The nearest object that stands between start and target within its radius of the line.
    NEditer::MapObject* obstacle = nullptr;
    float nearest = 0.0f;
    for (NEditer::MapObject* object : MapManager::Instance().objects) {
        if (!object || object->name == kGroundKind) continue;
        const D3DXVECTOR3 centre = ObjectPosition(*object);
        const D3DXVECTOR3 fromStart = Normalized(centre - start);
        const D3DXVECTOR3 fromTarget = Normalized(centre - target);
        if (D3DXVec3Dot(&fromStart, &towardTarget) < kAheadDot) continue;
        if (D3DXVec3Dot(&fromTarget, &towardStart) < kAheadDot) continue;
        D3DXVECTOR3 cross;
        const D3DXVECTOR3 offset = centre - start;
        D3DXVec3Cross(&cross, &startToTarget, &offset);
        if (!(D3DXVec3Length(&cross) / length < object->radius)) continue;
        const float distance = Distance(centre, start);
        if (!obstacle || distance < nearest) {
            obstacle = object;
            nearest = distance;
        }
    }
    *point = target;
    if (!obstacle) return true;
    std::uint32_t face = 0;
    float hitDistance = 0.0f;
    if (!RayTest(*obstacle, start, startToTarget, true, &face, &hitDistance)) return true;

    // Detour: the point of the obstacle's bounding circle (at its height) on the side the line passes.
    const D3DXVECTOR3 centre = ObjectPosition(*obstacle);
    const D3DXVECTOR3 startToCentre = centre - start;
    const D3DXVECTOR3 foot = start + towardTarget * D3DXVec3Dot(&startToCentre, &towardTarget);
    const D3DXVECTOR3 side = Normalized(D3DXVECTOR3{foot.x - centre.x, 0.0f, foot.z - centre.z});
    const float r = obstacle->radius;
    D3DXVECTOR3 detour{centre.x + side.x * r, centre.y, centre.z + side.z * r};

    // A detour too far off the nose for the present speed is taken on the other side.
    D3DXVECTOR3 nose;
    D3DXVec3TransformNormal(&nose, &kAhead, &orientation);
    const float sideLimit = (1.0f - speed / maxSpeed) * kDetourSideSpan + kDetourSideMinimum;
    if (AngleBetween(nose, Normalized(detour - start)) > sideLimit) {
        detour = D3DXVECTOR3{centre.x - side.x * r, centre.y, centre.z - side.z * r};
    }
    waypoints.push_front(detour);
    *point = detour;
    return false;
}

namespace {

// Steering steps 8 to 10: the one angle to the target drives both axes; signs come from its parts.
void SteerTowards(Player& p, const D3DXVECTOR3& probe, const D3DXVECTOR3& target, float releaseAngle) {
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

void Player::Steer() {
    const auto count = static_cast<std::int32_t>(CheckPoints().size());
    if (count == 0) return;
    if (nextCheckPoint < 0 || nextCheckPoint >= count) nextCheckPoint = 0;

    const D3DXVECTOR3 probe = Position() + kUp;
    const D3DXVECTOR3 checkPoint = CheckPointPosition(nextCheckPoint);
    D3DXVECTOR3 target;
    detouring = !PlanWaypoint(checkPoint, probe, &target);
    if (!detouring) {
        waypoints.clear();
        noCollision = false;
        target = checkPoint;
    } else {
        if (waypoints.empty()) waypoints.push_back(checkPoint);
        target = waypoints.front();
        if (Distance(probe, target) < reach) {
            noCollision = false;
            waypoints.pop_front();
            // the last detour reached: head for the checkpoint itself
            target = waypoints.empty() ? checkPoint : waypoints.front();
        }
        PlanWaypoint(target, probe, &target);
    }

    const float distance = Distance(probe, target);
    const float releaseAngle = (1.0f - speed / maxSpeed) * kThrottleReleaseSpan + kThrottleReleaseMinimum;
    if (distance < kLookAheadRange) {
        const std::int32_t following = nextCheckPoint + 1 < count ? nextCheckPoint + 1 : 0;
        D3DXVECTOR3 lookAhead;
        if (target == checkPoint) {
            lookAhead = CheckPointPosition(following);
        } else {
            lookAhead = waypoints.empty() ? checkPoint : waypoints.front();
        }
        D3DXVECTOR3 beyond;
        PlanWaypoint(lookAhead, target, &beyond);
        const D3DXVECTOR3 nextLeg = Normalized(beyond - target);
        if (distance < reach * kSharpTurnRangeInReaches) {
            D3DXVECTOR3 nose;
            D3DXVec3TransformNormal(&nose, &kAhead, &orientation);
            if (AngleBetween(nose, nextLeg) > kSharpTurnAngle && speed > maxSpeed * kSharpTurnSpeedShare) {
                throttleInput = false;
            }
        }
        beyond = target + nextLeg * (speed * distance);
        // 0.5 O + 0.5625 P − 0.0625 Q: about halfway to the target, bent early into the next leg.
        D3DXVec3CatmullRom(&target, &probe, &probe, &target, &beyond, 0.5f);
    }
    SteerTowards(*this, probe, target, releaseAngle);
}
