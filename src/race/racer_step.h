// The pieces of one racer's update, shared by the step's files: flight (flight.cpp), contact with
// the course (contact.cpp) and the automatic pilot (auto_pilot.cpp).
#pragma once

#include <cstdint>
#include <span>

#include "race/controls.h"
#include "race/course.h"
#include "race/race_events.h"
#include "race/racer_state.h"

namespace race {

// One racer's update: the racer, where it stands in the roster, what it may read and where it
// reports.
struct RacerStep {
    RacerState& racer;
    std::int32_t index;
    const Course& course;
    std::uint32_t update; // the race state's update number, for the moving scenery
    RaceEvents& events;
    RacerFx& fx;
    // Every racer of the race, this one included, for a rival to see who is close.
    std::span<const RacerState> field{};
};

// A person flies: the controls turn into yaw, pitch, throttle and boost.
void HandFlightStep(RacerStep& step, const Controls& controls);
// The automatic pilot flies: it plans and steers, then the same flight runs on its own inputs.
void AutoFlightStep(RacerStep& step);
// Orientation from the angles, then motion with drift and roll.
void OrientAndMove(RacerState& p, float driftFactor);
// Ray test along the velocity against the scenery, then checkpoint passage and the finish.
void CollideAndPassCheckPoints(RacerStep& step);
// Ray test against an object's model placed at `world`. The direction is taken as given unless
// `normaliseDirection`, so with an unnormalised direction the distance stays in world units.
bool RayTest(const CourseObject& object, const D3DXMATRIX& world, const D3DXVECTOR3& worldOrigin,
             const D3DXVECTOR3& worldDirection, bool normaliseDirection, std::uint32_t* face, float* distance);
// Obstacle check of the segment start→target; true when the way is clear. `point` gets the target
// itself, or the detour point (which is then also put in front of the waypoints).
bool PlanWaypoint(RacerStep& step, const D3DXVECTOR3& target, const D3DXVECTOR3& start, D3DXVECTOR3* point);
// True when scenery the automatic pilot flies round stands in the way from start to target.
bool WayBlocked(const RacerStep& step, const D3DXVECTOR3& start, const D3DXVECTOR3& target);
// The automatic pilot: turns the target into the six inputs (and the small direct corrections).
void Steer(RacerStep& step);

// A named rival on top of the automatic pilot (rival_pilot.cpp). When she turns for a new ring she
// draws her plan for the leg: its pace, her line and whether she errs on it.
void PlanRivalLeg(RacerStep& step);
// The point she flies for instead of the ring's centre: her line, the inside of the turn when she
// is contesting it with a racer just ahead, or outside it when she runs wide.
D3DXVECTOR3 RivalAim(RacerStep& step, const D3DXVECTOR3& centre);
// True while a mistake has her off the throttle.
bool RivalLapses(RacerState& p);

} // namespace race
