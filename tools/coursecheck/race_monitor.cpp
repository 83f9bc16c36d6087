// The per-frame bookkeeping of coursecheck: progress, detours, contacts and near misses.
#include "race_monitor.h"

#include <cmath>

#include "map/map_manager.h"
#include "map/map_object.h"
#include "map/object_mesh.h"
#include "platform/mesh/mesh.h"
#include "player/player.h"

namespace {

constexpr float kNearMissInReaches = 2.0f;
constexpr int kProbeDirections = 10;

// Distance from `point` to the object's surface along a few directions, or a large number.
float SurfaceDistance(const NEditer::MapObject& object, const D3DXVECTOR3& point, float range) {
    if (!object.mesh || !object.mesh->mesh) return 1e9f;
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &object.world)) return 1e9f;
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
        BOOL hit = FALSE;
        DWORD face = 0;
        float u = 0, v = 0, dist = 0;
        // the direction stays unnormalised so the distance is in world units
        D3DXIntersect(object.mesh->mesh.get(), &origin, &local, &hit, &face, &u, &v, &dist);
        if (hit && dist < best && dist <= range) best = dist;
    }
    return best;
}

bool NearScenery(const Player& racer) {
    const D3DXVECTOR3 probe = racer.Position() + D3DXVECTOR3{0, 1, 0};
    const float range = racer.reach * kNearMissInReaches;
    for (const NEditer::MapObject* object : MapManager::Instance().objects) {
        if (!object || object->name == "Ground") continue;
        const D3DXVECTOR3 offset = probe - MatrixPosition(object->world);
        if (D3DXVec3Length(&offset) > object->radius + range) continue;
        if (SurfaceDistance(*object, probe, range) <= range) return true;
    }
    return false;
}

} // namespace

void RaceMonitor::Observe(const std::vector<const Player*>& racers) {
    ++frame;
    for (std::size_t i = 0; i < racers.size() && i < reports.size(); ++i) {
        const Player& racer = *racers[i];
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
        const bool touchingScenery = racer.touched && racer.touched->name != "Ground";
        if (racer.touched && !touchingScenery) ++report.groundTouches;
        if (touchingScenery && !track.touching) ++report.sceneryTouches;
        track.touching = touchingScenery;
        const bool near = !touchingScenery && NearScenery(racer);
        if (near && !track.near) ++report.nearMisses;
        track.near = near;
    }
}

bool RaceMonitor::AllFinished() const {
    for (const RacerReport& report : reports)
        if (!report.finished) return false;
    return true;
}
