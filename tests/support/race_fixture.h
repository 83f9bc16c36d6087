// A race built by hand for the race and racer tests: upright wall quads with ray-testable models,
// checkpoints, and racers placed where a test wants them in a race already under way.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/mesh/mesh.h"
#include "race/racer_step.h"
#include "race/step.h"

namespace racetest {

// An upright quad of the given half extents in the object's local X-Y plane, facing local −Z.
inline race::CourseObject Wall(const D3DXMATRIX& world, float halfWidth, float halfHeight, float radius) {
    auto mesh = platform::mesh::Mesh::Create(2, 4, 0, D3DFVF_XYZ, nullptr);
    void* data = nullptr;
    mesh->LockVertexBuffer(0, &data);
    const std::array<D3DXVECTOR3, 4> corners{
        D3DXVECTOR3{-halfWidth, -halfHeight, 0.0f}, D3DXVECTOR3{-halfWidth, halfHeight, 0.0f},
        D3DXVECTOR3{halfWidth, halfHeight, 0.0f}, D3DXVECTOR3{halfWidth, -halfHeight, 0.0f}};
    auto* vertices = static_cast<D3DXVECTOR3*>(data);
    for (std::size_t i = 0; i < corners.size(); ++i) vertices[i] = corners[i];
    mesh->UnlockVertexBuffer();
    mesh->LockIndexBuffer(0, &data);
    const std::array<std::uint16_t, 6> indices{0, 1, 2, 0, 2, 3};
    auto* out = static_cast<std::uint16_t*>(data);
    for (std::size_t i = 0; i < indices.size(); ++i) out[i] = indices[i];
    mesh->UnlockIndexBuffer();

    race::CourseObject object;
    object.kind = "wall";
    object.world = world;
    object.radius = radius;
    object.mesh = mesh;
    object.faceNormals = std::make_shared<const std::vector<D3DXVECTOR3>>(2, D3DXVECTOR3{0.0f, 0.0f, -1.0f});
    return object;
}

class TestRace {
public:
    // Under way: the countdown is over and the clock runs.
    TestRace() {
        state.countdownDone = true;
        state.started = true;
        state.clockStopped = false;
    }

    void AddCheckPoint(const D3DXVECTOR3& position, float radius) {
        course.checkPoints.push_back(race::CourseCheckPoint{position, radius});
    }
    void AddWall(const D3DXMATRIX& world, float halfWidth, float halfHeight, float radius) {
        course.AddObject(Wall(world, halfWidth, halfHeight, radius));
    }

    // A racer off the grid: a person's (seat 0 and up) flown by hand, a computer racer's (seat -1)
    // by the automatic pilot.
    race::RacerState& AddRacer(std::int8_t seat, const D3DXVECTOR3& position, float yaw) {
        race::RacerState& racer = state.racers[state.racerCount++];
        racer.seat = seat;
        racer.autoPilot = seat < 0 ? 1 : 0;
        racer.frozen = false;
        Place(racer, position, yaw);
        return racer;
    }

    // Stands a racer at `position` with heading `yaw`, level, its matrices consistent.
    static void Place(race::RacerState& racer, const D3DXVECTOR3& position, float yaw) {
        racer.yaw = yaw;
        racer.pitch = 0.0f;
        racer.yawMatrix = MatrixRotationY(yaw * kDegToRad);
        racer.pitchMatrix = MatrixIdentity();
        racer.positionMatrix = MatrixTranslation(position.x, position.y, position.z);
        racer.orientation = racer.yawMatrix;
        racer.orientation._41 = position.x;
        racer.orientation._42 = position.y;
        racer.orientation._43 = position.z;
        racer.drawMatrix = racer.orientation;
    }

    // `count` updates of the whole race, racer 0 given `controls`; the last update's events.
    race::RaceEvents Step(int count = 1, const race::Controls& controls = {}) {
        race::RaceEvents last;
        for (int i = 0; i < count; ++i) last = race::Step(state, course, {&controls, 1});
        return last;
    }

    // One racer's part of an update, for calling the step's pieces on their own.
    race::RacerStep For(std::size_t racer) {
        events = race::RaceEvents{};
        return race::RacerStep{state.racers[racer], static_cast<std::int32_t>(racer), course, state.update, events,
                               events.fx[racer]};
    }

    // Contact and checkpoints alone for one racer, as its flight ends them.
    void CollideAndPass(std::size_t racer) {
        race::RacerStep step = For(racer);
        race::CollideAndPassCheckPoints(step);
    }

    race::Course course;
    race::RaceState state;
    race::RaceEvents events; // what the pieces called through For reported
};

inline bool Has(const race::RaceEvents& events, race::EventKind kind, std::int32_t racer, std::int32_t value = 0) {
    for (const race::RaceEvent& e : events)
        if (e.kind == kind && e.racer == racer && e.value == value) return true;
    return false;
}

} // namespace racetest
