// A racer and the course: ray contact with the scenery, checkpoint passage and the finish.
#include <cmath>

#include "platform/mesh/mesh.h"
#include "platform/mesh/ray_bvh.h"
#include "race/racer_step.h"

namespace race {

namespace {

constexpr float kContactSpeedKept = 0.95f;
constexpr float kStuckSpeed = 0.3f; // an automatic racer slower than this after a contact flies through
constexpr std::int32_t kCelebrationFrames = 50;
const D3DXVECTOR3 kUp{0.0f, 1.0f, 0.0f};

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    const D3DXVECTOR3 d = a - b;
    return D3DXVec3Length(&d);
}

// Pushes the racer out along the hit face's normal so that it stands `reach` from the face.
void PushOut(RacerStep& step, std::size_t objectIndex, const D3DXMATRIX& world, std::uint32_t face, float distance) {
    RacerState& p = step.racer;
    const CourseObject& object = step.course.objects[objectIndex];
    D3DXVECTOR3 normal{0, 0, 0};
    if (object.faceNormals && face < object.faceNormals->size()) {
        D3DXVec3TransformNormal(&normal, &(*object.faceNormals)[face], &world);
        D3DXVec3Normalize(&normal, &normal);
    }
    const D3DXVECTOR3 push = normal * (p.reach - distance);
    p.positionMatrix = p.positionMatrix * MatrixTranslation(push.x, push.y, push.z);
    p.speed *= kContactSpeedKept;
    p.orientation._41 = p.positionMatrix._41;
    p.orientation._42 = p.positionMatrix._42;
    p.orientation._43 = p.positionMatrix._43;
    p.drawMatrix = p.orientation;
    p.touched = static_cast<std::int32_t>(objectIndex);
    if (p.autoPilot == 1 && p.speed < kStuckSpeed) p.noCollision = true;
}

// At most one contact an update: the first object in course order whose ray hit lies nearer than reach.
void Collide(RacerStep& step, const D3DXVECTOR3& probe) {
    RacerState& p = step.racer;
    // A racer standing still casts no ray.
    if (D3DXVec3LengthSq(&p.velocity) == 0.0f) return;
    D3DXVECTOR3 direction;
    D3DXVec3Normalize(&direction, &p.velocity);
    const auto& objects = step.course.objects;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const CourseObject& object = objects[i];
        if (Distance(probe, step.course.PositionOf(i)) > p.reach + object.radius) continue;
        const D3DXMATRIX world = step.course.WorldAt(i, step.update);
        std::uint32_t face = 0;
        float distance = 0.0f;
        if (!RayTest(object, world, probe, direction, false, &face, &distance)) continue;
        if (!(distance < p.reach)) continue;
        PushOut(step, i, world, face, distance);
        return;
    }
}

void Finish(RacerStep& step) {
    RacerState& p = step.racer;
    if (!p.finished) step.events.Add(EventKind::Finish, step.index);
    p.finished = true;
}

} // namespace

bool RayTest(const CourseObject& object, const D3DXMATRIX& world, const D3DXVECTOR3& worldOrigin,
             const D3DXVECTOR3& worldDirection, bool normaliseDirection, std::uint32_t* face, float* distance) {
    if (!object.mesh) return false;
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &world)) return false;
    D3DXVECTOR3 origin, direction;
    D3DXVec3TransformCoord(&origin, &worldOrigin, &inverse);
    D3DXVec3TransformNormal(&direction, &worldDirection, &inverse);
    if (normaliseDirection) D3DXVec3Normalize(&direction, &direction);
    platform::mesh::RayHit hit;
    if (!object.mesh->Bvh().Intersect(origin, direction, &hit)) return false;
    *face = hit.face;
    *distance = hit.distance;
    return true;
}

void CollideAndPassCheckPoints(RacerStep& step) {
    RacerState& p = step.racer;
    D3DXVECTOR3 probe;
    D3DXVec3TransformCoord(&probe, &kUp, &p.orientation);
    p.touched = -1;
    if (!p.noCollision) Collide(step, probe);

    const auto& checkPoints = step.course.checkPoints;
    const auto count = static_cast<std::int32_t>(checkPoints.size());
    if (count == 0) return; // the game refuses such a course before the race
    if (p.nextCheckPoint < 0 || p.nextCheckPoint >= count) p.nextCheckPoint = 0;

    const CourseCheckPoint& next = checkPoints[static_cast<std::size_t>(p.nextCheckPoint)];
    if (Distance(probe, next.position) < next.radius) {
        step.events.Add(EventKind::CheckPointPassed, step.index, p.nextCheckPoint, p.autoPilot == 0);
        p.nextCheckPoint += 1;
        if (p.autoPilot == 1) {
            if (p.nextCheckPoint > count - 1) {
                p.nextCheckPoint = 0;
                Finish(step);
            }
            p.waypoints.clear();
            p.waypoints.push_back(checkPoints[static_cast<std::size_t>(p.nextCheckPoint)].position);
        }
        p.celebration = kCelebrationFrames;
    }

    // Only a racer that passed the last checkpoint flown by hand gets here; the others wrapped above.
    if (p.nextCheckPoint > count - 1) {
        Finish(step);
        p.autoPilot = 1;
        p.celebration = 0;
        p.boostTimer = 0.0f;
        p.nextCheckPoint = 0;
    }
}

} // namespace race
