// RacerState: one racer as the race knows it — pose and motion, flight variables, the automatic
// pilot's plan, and how far along the course it is. Plain data: copying it copies the racer.
#pragma once

#include <cstdint>

#include "platform/math/d3dx_math.h"
#include "race/rival_flight.h"
#include "race/waypoint_list.h"

namespace race {

struct RacerState {
    // ---- pose and motion ----
    D3DXMATRIX orientation = MatrixIdentity();
    D3DXMATRIX positionMatrix = MatrixIdentity(); // a pure translation: the racer's position
    D3DXMATRIX pitchMatrix = MatrixIdentity();
    D3DXMATRIX yawMatrix = MatrixIdentity();
    D3DXMATRIX drawMatrix = MatrixIdentity(); // the body as drawn: drift and roll on the orientation
    D3DXVECTOR3 velocity{0, 0, 0};
    D3DXVECTOR3 broomTail{0, 0, 0}; // where sparks leave the broom
    float speed = 0.0f;
    float pitch = 0.0f;
    float yaw = 0.0f;
    float pitchRate = 0.0f;
    float yawRate = 0.0f;

    // ---- what the racer is made of (set on the grid; a rival flies each leg at her own pace) ----
    float maxSpeed = 2.2f;
    float turnRateLimit = 0.8f;
    float boostTurnRateLimit = 2.0f;
    float reach = 5.0f;
    float acceleration = 0.01f;

    // ---- flight ----
    float boostTimer = 0.0f; // updates left of the sharp-turn burst
    std::int32_t celebration = 0;
    std::int32_t startDelay = 0; // updates an automatic racer waits at "go"
    std::int32_t pitchSign = -1; // -1: Up lifts the nose; R swaps it
    std::int32_t autoPilot = 0;  // 1: the automatic pilot flies
    bool boosting = false;
    bool frozen = true; // on the grid until "go"
    bool noCollision = false;
    // This update the automatic pilot found the way to its next checkpoint blocked and heads for a detour.
    bool detouring = false;
    std::int32_t touched = -1; // the course object this update's contact pushed the racer off, or -1

    // ---- the automatic pilot's inputs and plan ----
    bool throttleInput = false;
    bool boostInput = false;
    bool rightInput = false;
    bool leftInput = false;
    bool pitchUpInput = false;
    bool pitchDownInput = false;
    WaypointList waypoints;

    // ---- the race ----
    std::int32_t nextCheckPoint = 0;
    float distanceToNext = 0.0f;
    bool finished = false;
    std::uint32_t finishUpdate = 0; // race updates from "go" to the finish; 0 while flying
    std::int32_t place = 1;         // on the course now, as the HUD shows it; kept from the finish on
    std::int8_t seat = -1;          // the person flying it (0..3), or -1 for a computer racer

    // ---- a named rival's personality and plan (saved only in races with rivals: see RaceState) ----
    RivalFlight rival;

    D3DXVECTOR3 Position() const { return MatrixPosition(positionMatrix); }

    // Every field, named, in one order: the one list Save, Load, Hash and the comparisons walk.
    template <typename Self, typename Visitor> static void Fields(Self& s, Visitor& v) {
        v("orientation", s.orientation);
        v("positionMatrix", s.positionMatrix);
        v("pitchMatrix", s.pitchMatrix);
        v("yawMatrix", s.yawMatrix);
        v("drawMatrix", s.drawMatrix);
        v("velocity", s.velocity);
        v("broomTail", s.broomTail);
        v("speed", s.speed);
        v("pitch", s.pitch);
        v("yaw", s.yaw);
        v("pitchRate", s.pitchRate);
        v("yawRate", s.yawRate);
        v("maxSpeed", s.maxSpeed);
        v("turnRateLimit", s.turnRateLimit);
        v("boostTurnRateLimit", s.boostTurnRateLimit);
        v("reach", s.reach);
        v("acceleration", s.acceleration);
        v("boostTimer", s.boostTimer);
        v("celebration", s.celebration);
        v("startDelay", s.startDelay);
        v("pitchSign", s.pitchSign);
        v("autoPilot", s.autoPilot);
        v("boosting", s.boosting);
        v("frozen", s.frozen);
        v("noCollision", s.noCollision);
        v("detouring", s.detouring);
        v("touched", s.touched);
        v("throttleInput", s.throttleInput);
        v("boostInput", s.boostInput);
        v("rightInput", s.rightInput);
        v("leftInput", s.leftInput);
        v("pitchUpInput", s.pitchUpInput);
        v("pitchDownInput", s.pitchDownInput);
        WaypointList::Fields(s.waypoints, v);
        v("nextCheckPoint", s.nextCheckPoint);
        v("distanceToNext", s.distanceToNext);
        v("finished", s.finished);
        v("finishUpdate", s.finishUpdate);
        v("place", s.place);
        v("seat", s.seat);
    }
};

} // namespace race
