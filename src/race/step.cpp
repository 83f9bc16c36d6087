// The race's update, in the order the race has always run: the start, the clock, the people's
// pilot toggles, every racer's flight in grid order, the finish and the places, then the countdown.
#include "race/step.h"

#include "race/racer_step.h"
#include "race/rivals.h"

namespace race {

namespace {

constexpr std::int32_t kStartDelayRange = 200; // updates a computer racer may wait at "go"
// Racers stand side by side: 1.5 to the right and 0.5 forward of the previous one.
const D3DXVECTOR3 kGridStep{1.5f, 0.0f, 0.5f};
// Until the grid places it, a racer stands here.
constexpr float kUnplacedX = 20.0f, kUnplacedY = 15.0f;

void Start(RaceState& state) {
    state.started = true;
    state.raceUpdates = 0;
    state.clockStopped = false;
    for (std::size_t i = 0; i < state.racerCount; ++i) state.racers[i].frozen = false;
}

void Fly(RaceState& state, const Course& course, std::size_t i, const Controls& controls, RaceEvents& events) {
    RacerState& racer = state.racers[i];
    RacerStep step{racer, static_cast<std::int32_t>(i), course, state.update, events, events.fx[i]};
    step.field = {state.racers.data(), state.racerCount};
    if (racer.autoPilot == 0) {
        HandFlightStep(step, controls);
    } else {
        AutoFlightStep(step);
    }
    const auto next = static_cast<std::size_t>(racer.nextCheckPoint);
    if (racer.nextCheckPoint >= 0 && next < course.checkPoints.size()) {
        const D3DXVECTOR3 toNext = course.checkPoints[next].position - racer.Position();
        racer.distanceToNext = D3DXVec3Length(&toNext);
    }
}

// The clock runs until every person has finished (a race without people runs it to the end).
void StopClockWhenPeopleFinished(RaceState& state) {
    bool anyone = false;
    for (std::size_t i = 0; i < state.racerCount; ++i) {
        const RacerState& racer = state.racers[i];
        if (racer.seat < 0) continue;
        anyone = true;
        if (!racer.finished) return;
    }
    if (anyone) state.clockStopped = true;
}

// A racer's place: one plus every other racer that has finished or is further along.
std::int32_t PlaceOf(const RaceState& state, std::size_t who) {
    const RacerState& racer = state.racers[who];
    std::int32_t place = 1;
    for (std::size_t i = 0; i < state.racerCount; ++i) {
        if (i == who) continue;
        const RacerState& other = state.racers[i];
        const bool ahead =
            other.finished || other.nextCheckPoint > racer.nextCheckPoint ||
            (other.nextCheckPoint == racer.nextCheckPoint && other.distanceToNext < racer.distanceToNext);
        if (ahead) ++place;
    }
    return place;
}

void StepCountdown(RaceState& state, RaceEvents& events) {
    if (state.countdownDone) return;
    ++state.countdownUpdates;
    if (state.countdownUpdates % kCountdownLightUpdates != 0) return;
    const auto light = static_cast<std::int32_t>(state.countdownUpdates / kCountdownLightUpdates) - 1;
    events.Add(EventKind::CountdownBeep, -1, light);
    if (light + 1 < kCountdownLights) return;
    events.Add(EventKind::Go);
    state.countdownDone = true;
}

} // namespace

RaceState NewRace(const Course& course, const Grid& grid, Difficulty level, std::uint64_t seed) {
    RaceState state;
    state.random.Seed(seed);
    state.racerCount = std::min<std::uint8_t>(grid.racerCount, RaceState::kMostRacers);
    const D3DXMATRIX turn = MatrixRotationY(course.heading * kDegToRad);
    D3DXVECTOR3 step;
    D3DXVec3TransformNormal(&step, &kGridStep, &turn);
    for (std::size_t i = 0; i < state.racerCount; ++i) {
        RacerState& racer = state.racers[i];
        racer.seat = grid.seats[i];
        racer.autoPilot = racer.seat < 0 ? 1 : 0;
        racer.orientation = MatrixTranslation(kUnplacedX, kUnplacedY, 0.0f);
        const std::int8_t rival = grid.rivals[i];
        if (racer.seat < 0 && IsRival(rival)) {
            ApplyRival(rival, level, racer, state.random);
            state.rivalsFly = true;
        } else if (racer.seat < 0) {
            racer.startDelay = static_cast<std::int32_t>(state.random.Below(kStartDelayRange));
            ApplyDifficulty(level, racer);
        }
        const float n = static_cast<float>(i);
        racer.positionMatrix =
            MatrixTranslation(course.start.x + n * step.x, course.start.y + n * step.y, course.start.z + n * step.z);
        racer.yawMatrix = turn;
        racer.yaw = course.heading;
    }
    return state;
}

RaceEvents Step(RaceState& state, const Course& course, std::span<const Controls> controls) {
    RaceEvents events;
    ++state.update;
    if (state.started) {
        ++state.raceUpdates;
    } else if (state.countdownDone) {
        Start(state);
    }
    if (!state.clockStopped) state.clockUpdates = state.raceUpdates;

    const Controls none;
    auto controlsOf = [&](std::size_t i) -> const Controls& { return i < controls.size() ? controls[i] : none; };
    for (std::size_t i = 0; i < state.racerCount; ++i) {
        RacerState& racer = state.racers[i];
        if (racer.seat >= 0 && controlsOf(i).togglePilot) racer.autoPilot = racer.autoPilot == 0 ? 1 : 0;
    }
    for (std::size_t i = 0; i < state.racerCount; ++i) Fly(state, course, i, controlsOf(i), events);

    for (const RaceEvent& event : events)
        if (event.kind == EventKind::Finish)
            state.racers[static_cast<std::size_t>(event.racer)].finishUpdate = state.raceUpdates;
    StopClockWhenPeopleFinished(state);
    for (std::size_t i = 0; i < state.racerCount; ++i)
        if (!state.racers[i].finished) state.racers[i].place = PlaceOf(state, i);
    StepCountdown(state, events);
    return events;
}

} // namespace race
