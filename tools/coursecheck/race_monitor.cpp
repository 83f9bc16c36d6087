// The per-frame bookkeeping of coursecheck: progress, detours, contacts and near misses.
#include "race_monitor.h"

#include <cmath>

#include "platform/mesh/mesh.h"
#include "platform/mesh/ray_bvh.h"

namespace {

constexpr float kNearMissInReaches = 2.0f;
constexpr int kProbeDirections = 10;

// Distance from `point` to the object's surface along a few directions, or a large number.
float SurfaceDistance(const race::CourseObject& object, const D3DXMATRIX& world, const D3DXVECTOR3& point,
                      float range) {
    if (!object.mesh) return 1e9f;
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &world)) return 1e9f;
    float best = 1e9f;
    for (int i = 0; i < kProbeDirections; ++i) {
        D3DXVECTOR3 direction;
        if (i < 8) {
            const float angle = static_cast<float>(i) * 3.14159265f / 4.0f;
            direction = {std::sin(angle), 0.0f, std::cos(angle)};
        } else {
            direction = {0.0f, i == 8 ? 1.0f : -1.0f, 0.0f};
        }
        D3DXVECTOR3 origin, local;
        D3DXVec3TransformCoord(&origin, &point, &inverse);
        D3DXVec3TransformNormal(&local, &direction, &inverse);
        // the direction stays unnormalised so the distance is in world units
        platform::mesh::RayHit hit;
        if (object.mesh->Bvh().Intersect(origin, local, &hit) && hit.distance < best && hit.distance <= range)
            best = hit.distance;
    }
    return best;
}

bool NearScenery(const race::Course& course, std::uint32_t update, const race::RacerState& racer) {
    const D3DXVECTOR3 probe = racer.Position() + D3DXVECTOR3{0, 1, 0};
    const float range = racer.reach * kNearMissInReaches;
    for (std::size_t i = 0; i < course.objects.size(); ++i) {
        const race::CourseObject& object = course.objects[i];
        if (object.ground) continue;
        const D3DXMATRIX world = course.WorldAt(i, update);
        const D3DXVECTOR3 offset = probe - MatrixPosition(world);
        if (D3DXVec3Length(&offset) > object.radius + range) continue;
        if (SurfaceDistance(object, world, probe, range) <= range) return true;
    }
    return false;
}

} // namespace

void RaceMonitor::Observe(const race::RaceState& race) {
    ++frame;
    for (std::size_t i = 0; i < race.racerCount && i < reports.size(); ++i) {
        const race::RacerState& racer = race.racers[i];
        RacerReport& report = reports[i];
        Tracking& track = state[i];
        if (racer.finished && !report.finished) {
            report.finished = true;
            report.lapFrames = frame;
            report.place = ++finishers;
        }
        if (report.finished) continue; // only the first lap counts
        if (racer.nextCheckPoint != track.checkPoint) {
            track.checkPoint = racer.nextCheckPoint;
            track.lastProgress = frame;
        } else if ((frame - track.lastProgress) % kStuckWindow == 0) {
            ++report.stuckWindows;
        }
        if (racer.detouring && !track.detour) ++report.detours;
        track.detour = racer.detouring;
        if (racer.noCollision) ++report.collisionOffFrames;
        const bool touching = racer.touched >= 0;
        const bool touchingScenery = touching && !course.objects[static_cast<std::size_t>(racer.touched)].ground;
        if (touching && !touchingScenery) ++report.groundTouches;
        if (touchingScenery && !track.touching) ++report.sceneryTouches;
        track.touching = touchingScenery;
        const bool near = !touchingScenery && NearScenery(course, race.update, racer);
        if (near && !track.near) ++report.nearMisses;
        track.near = near;
    }
}

bool RaceMonitor::AllFinished() const {
    for (const RacerReport& report : reports)
        if (!report.finished) return false;
    return true;
}
