// Player: one racer — race state, the effects that follow it, the automatic pilot's controls, and its
// flight (player_flight.cpp), collision and course following (player_course.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>

#include "player/chara_base.h"

namespace SimpleLib {
class CMesh;
}
namespace NEditer {
class MapObject;
}
class BaseEffect;

class Player : public CharaBase {
public:
    static constexpr int kHistoryLength = 15; // the camera looks 14 frames back
    static constexpr const char* kBroomModel = "data/XFile/houki.x";

    Player();
    ~Player() override;

    void Init() override;
    void Update() override;
    void Draw() override;
    void Release() override;

    // ---- flight (one frame), in the order the step runs them ----
    void KeyboardFlightStep();
    void AutoFlightStep();
    void OrientAndMove(float driftFactor);
    // The camera step of the keyboard racer, run after every racer has flown this frame.
    void CameraStep();

    // ---- course ----
    // Ray test along the velocity against the map objects, then checkpoint passage and the finish.
    void CollideAndPassCheckPoints();
    // Obstacle check of the segment start→target; returns true when the way is clear. `point` gets
    // the target itself, or the detour point (which is then also put in front of waypoints).
    bool PlanWaypoint(const D3DXVECTOR3& target, const D3DXVECTOR3& start, D3DXVECTOR3* point);
    // The automatic pilot: turns the target into the six inputs (and the small direct corrections).
    void Steer();

    std::int32_t celebration = 0;
    float boostTimer = 0.0f;
    std::int32_t startDelay = 0;
    float distanceToNext = 0.0f;
    bool finished = false;
    bool noCollision = false;
    // This frame the automatic pilot found the way to its next checkpoint blocked and heads for a detour.
    bool detouring = false;
    // The object this frame's collision step pushed the racer off, if any (course checks read it).
    const NEditer::MapObject* touched = nullptr;
    std::int32_t pitchSign = -1;
    std::weak_ptr<SimpleLib::CMesh> broom;
    D3DXMATRIX broomOffset = MatrixIdentity();
    std::array<D3DXMATRIX, kHistoryLength> history;
    std::deque<D3DXVECTOR3> waypoints;
    BaseEffect* trail = nullptr;
    BaseEffect* arrow = nullptr;
    BaseEffect* circle = nullptr;
    bool throttleInput = false;
    bool boostInput = false;
    bool rightInput = false;
    bool leftInput = false;
    bool pitchUpInput = false;
    bool pitchDownInput = false;
};
