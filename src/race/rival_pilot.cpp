// A named rival flies on the automatic pilot with her own pace, line and mistakes. Her plan for a leg
// comes from her own numbers and the ring she heads for, never from her place in the race: nothing
// here speeds a rival up for being behind. Being close behind someone changes only her line.
#include <algorithm>
#include <cmath>

#include "race/racer_step.h"

namespace race {

namespace {

// A wide line aims this far outside the turn, in ring radii: well off the ideal line, still inside.
constexpr float kWideLeast = 0.45f;
constexpr float kWideMost = 0.7f;
// A throttle lapse starts up to this many updates into the leg and lasts this long.
constexpr std::int32_t kLapseLatest = 90;
constexpr std::int32_t kLapseShortest = 20;
constexpr std::int32_t kLapseLongest = 55;
// A racer this close ahead on the same leg has his line contested.
constexpr float kContestRange = 40.0f;
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

} // namespace

void PlanRivalLeg(RacerStep& step) {
    RacerState& p = step.racer;
    RivalFlight& r = p.rival;
    const auto count = static_cast<std::int32_t>(step.course.checkPoints.size());
    if (count == 0 || r.leg == p.nextCheckPoint) return;
    r.leg = p.nextCheckPoint;
    const Personality& who = r.personality;
    // The same five draws on every leg, so each leg's plan is the same whatever befell the others.
    const float paceDraw = r.random.Unit();
    const float aimDraw = r.random.Unit();
    const float mistakeDraw = r.random.Unit();
    const float kindDraw = r.random.Unit();
    const float sizeDraw = r.random.Unit();

    const float lap = count > 1 ? static_cast<float>(r.leg) / static_cast<float>(count - 1) : 0.0f;
    const float share = paceDraw * (1.0f - who.paceRise) + lap * who.paceRise;
    r.pace = who.paceLow + (who.paceHigh - who.paceLow) * share;
    r.aim = (aimDraw * 2.0f - 1.0f) * who.wander;
    r.wide = 0.0f;
    r.lapseIn = -1;
    r.lapseFor = 0;
    if (!(mistakeDraw < who.mistakeChance)) return;
    if (kindDraw < 0.5f) {
        r.wide = kWideLeast + (kWideMost - kWideLeast) * sizeDraw;
    } else {
        r.lapseIn = static_cast<std::int32_t>((kindDraw - 0.5f) * 2.0f * static_cast<float>(kLapseLatest));
        r.lapseFor = kLapseShortest + static_cast<std::int32_t>(sizeDraw * (kLapseLongest - kLapseShortest));
    }
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

    const RacerState* ahead = r.personality.contest > 0.0f ? RacerToContest(step) : nullptr;
    r.contesting = ahead != nullptr;
    float offset = r.aim;
    if (r.wide > 0.0f) {
        offset = (straightOn ? SignOf(r.aim) : -SignOf(turn)) * r.wide;
    } else if (ahead) {
        // The inside of the turn; straight on, the side away from the racer ahead.
        const D3DXVECTOR3 toAhead = ahead->Position() - p.Position();
        const float side = straightOn ? -SignOf(D3DXVec3Dot(&toAhead, &across)) : SignOf(turn);
        offset = side * r.personality.contest;
    }
    return centre + across * (offset * Ring(step, k).radius);
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
