// A named rival flies on the automatic pilot with her own pace, line and mistakes. Her plan for a leg
// comes from her own numbers and the ring she heads for, never from her place in the race: nothing
// here speeds a rival up for being behind. Being close behind someone changes only her line.
#include <algorithm>
#include <cmath>

#include "race/racer_step.h"

namespace race {

namespace {

// A leg's pace is a point of her range: this share of it set by her day (drawn once a race), her
// pushes' share below, and the rest drawn anew for the leg.
constexpr float kFormShare = 0.25f;
// Twice a lap she pushes and twice she eases off, from a point of the lap of her own: over a whole
// lap it evens out, but rivals close together pass and re-pass. The share of her range it sweeps:
constexpr float kSurgeShare = 0.45f;
constexpr float kSurgesPerLap = 2.0f;
// A wide line aims this far outside the turn, in ring radii: well off the ideal line, still inside.
constexpr float kWideLeast = 0.45f;
constexpr float kWideMost = 0.7f;
// Running wide, she sees it this many ring radii out and is back on the centre at the nearer.
constexpr float kWideSeenFrom = 8.0f;
constexpr float kWideCorrectedAt = 3.0f;
// A throttle lapse starts up to this many updates into the leg and lasts this long.
constexpr std::int32_t kLapseLatest = 90;
constexpr std::int32_t kLapseShortest = 30;
constexpr std::int32_t kLapseLongest = 70;
// A racer this close ahead on the same leg has his line contested.
constexpr float kContestRange = 40.0f;
// Her aim slides across the ring at most this many radii an update: a sudden jump of the aim would
// have the pilot lift off the throttle.
constexpr float kLeanRate = 0.01f;
// A next leg bending off this one by less than this share counts as straight on: no inside to take.
constexpr float kStraightOn = 0.15f;

// The horizontal part of `v`, of unit length (zero when it has none).
D3DXVECTOR3 Level(const D3DXVECTOR3& v) {
    D3DXVECTOR3 level{v.x, 0.0f, v.z};
    const float length = D3DXVec3Length(&level);
    return length > 0.0f ? level / length : D3DXVECTOR3{0.0f, 0.0f, 0.0f};
}

const CourseCheckPoint& Ring(const RacerStep& step, std::int32_t index) {
    const auto count = static_cast<std::int32_t>(step.course.checkPoints.size());
    const std::int32_t wrapped = ((index % count) + count) % count;
    return step.course.checkPoints[static_cast<std::size_t>(wrapped)];
}

float SignOf(float value) { return value < 0.0f ? -1.0f : 1.0f; }

// The racer just ahead of her on her leg, within reach of a fight; null when there is none.
const RacerState* RacerToContest(const RacerStep& step) {
    const RacerState& p = step.racer;
    if (p.finished || p.frozen) return nullptr;
    const RacerState* nearest = nullptr;
    float nearestGap = kContestRange;
    for (std::size_t i = 0; i < step.field.size(); ++i) {
        const RacerState& other = step.field[i];
        if (static_cast<std::int32_t>(i) == step.index || other.finished) continue;
        if (other.nextCheckPoint != p.nextCheckPoint || !(other.distanceToNext < p.distanceToNext)) continue;
        const D3DXVECTOR3 gap = other.Position() - p.Position();
        const float distance = D3DXVec3Length(&gap);
        if (distance < nearestGap) {
            nearest = &other;
            nearestGap = distance;
        }
    }
    return nearest;
}

// Her pace on the leg to ring `r.leg` of `count`: her day, her pushes, her trend over the lap and
// this leg's draw, as a point of her range.
float LegPace(const RivalFlight& r, std::int32_t count, float draw) {
    const Personality& who = r.personality;
    // A triangle wave over the lap: plain arithmetic, the same on every machine.
    const float wave = kSurgesPerLap * static_cast<float>(r.leg) / static_cast<float>(count) + r.phase;
    const float surge = std::fabs(2.0f * (wave - std::floor(wave)) - 1.0f);
    const float day = r.form * kFormShare + surge * kSurgeShare + draw * (1.0f - kFormShare - kSurgeShare);
    const float lap = count > 1 ? static_cast<float>(r.leg) / static_cast<float>(count - 1) : 0.0f;
    const float trend = std::fabs(who.paceTrend);
    const float share = day * (1.0f - trend) + (who.paceTrend < 0.0f ? 1.0f - lap : lap) * trend;
    return who.paceLow + (who.paceHigh - who.paceLow) * share;
}

// Whether this leg goes wrong, and how: running wide of the ring, or a lapse of the throttle.
void PlanMistake(RivalFlight& r, float chanceDraw, float kindDraw, float sizeDraw) {
    r.wide = 0.0f;
    r.lapseIn = -1;
    r.lapseFor = 0;
    if (!(chanceDraw < r.personality.mistakeChance)) return;
    if (kindDraw < 0.5f) {
        r.wide = kWideLeast + (kWideMost - kWideLeast) * sizeDraw;
    } else {
        r.lapseIn = static_cast<std::int32_t>((kindDraw - 0.5f) * 2.0f * static_cast<float>(kLapseLatest));
        r.lapseFor = kLapseShortest + static_cast<std::int32_t>(sizeDraw * (kLapseLongest - kLapseShortest));
    }
}

} // namespace

void PlanRivalLeg(RacerStep& step) {
    RacerState& p = step.racer;
    RivalFlight& r = p.rival;
    const auto count = static_cast<std::int32_t>(step.course.checkPoints.size());
    if (count == 0 || r.leg == p.nextCheckPoint) return;
    r.leg = p.nextCheckPoint;
    // The same five draws on every leg, so each leg's plan is the same whatever befell the others.
    const float paceDraw = r.random.Unit();
    const float aimDraw = r.random.Unit();
    const float mistakeDraw = r.random.Unit();
    const float kindDraw = r.random.Unit();
    const float sizeDraw = r.random.Unit();

    r.pace = LegPace(r, count, paceDraw);
    // The whole leg flown a little slower turns as tightly: the same line, only later.
    p.maxSpeed = r.topSpeed * r.pace;
    p.turnRateLimit = r.turnRate * r.pace;
    // Off the centre of a ring with a crag behind it, the way round the crag only gets longer: there
    // she fights nobody for the inside. With one before it, she comes off her detour aiming at the centre.
    const D3DXVECTOR3& ring = Ring(step, r.leg).position;
    r.exitBlocked = WayBlocked(step, ring, Ring(step, r.leg + 1).position);
    const bool entryBlocked = WayBlocked(step, Ring(step, r.leg - 1).position, ring);
    r.aim = r.exitBlocked || entryBlocked ? 0.0f : (aimDraw * 2.0f - 1.0f) * r.personality.wander;
    r.lean = 0.0f;
    PlanMistake(r, mistakeDraw, kindDraw, sizeDraw);
}

// Across the leg into ring k (from ring k - 1), `turn` is how far the leg after it bends to the
// `across` side: positive, the inside of the turn is on that side.
D3DXVECTOR3 RivalAim(RacerStep& step, const D3DXVECTOR3& centre) {
    RacerState& p = step.racer;
    RivalFlight& r = p.rival;
    const std::int32_t k = p.nextCheckPoint;
    const D3DXVECTOR3 along = Level(centre - Ring(step, k - 1).position);
    const D3DXVECTOR3 across{along.z, 0.0f, -along.x};
    const D3DXVECTOR3 nextLeg = Level(Ring(step, k + 1).position - centre);
    const float turn = D3DXVec3Dot(&nextLeg, &across);
    const bool straightOn = std::fabs(turn) < kStraightOn;

    // Round an obstacle the detour decides the line; there is no inside to fight for.
    const bool free = r.personality.contest > 0.0f && !p.detouring && !r.exitBlocked;
    const RacerState* ahead = free ? RacerToContest(step) : nullptr;
    r.contesting = ahead != nullptr;
    float offset = r.aim;
    const float radius = Ring(step, k).radius;
    if (r.wide > 0.0f) {
        const float late =
            (p.distanceToNext - kWideCorrectedAt * radius) / ((kWideSeenFrom - kWideCorrectedAt) * radius);
        offset = (straightOn ? SignOf(r.aim) : -SignOf(turn)) * r.wide * std::clamp(late, 0.0f, 1.0f);
    } else if (ahead) {
        // The inside of the turn; straight on, the side away from the racer ahead.
        const D3DXVECTOR3 toAhead = ahead->Position() - p.Position();
        const float side = straightOn ? -SignOf(D3DXVec3Dot(&toAhead, &across)) : SignOf(turn);
        offset = side * r.personality.contest;
    }
    r.lean = std::clamp(offset, r.lean - kLeanRate, r.lean + kLeanRate);
    return centre + across * (r.lean * radius);
}

bool RivalLapses(RacerState& p) {
    RivalFlight& r = p.rival;
    if (p.frozen || r.lapseIn < 0) return false;
    if (r.lapseIn > 0) {
        --r.lapseIn;
        return false;
    }
    if (r.lapseFor <= 0) {
        r.lapseIn = -1;
        return false;
    }
    --r.lapseFor;
    return true;
}

} // namespace race
