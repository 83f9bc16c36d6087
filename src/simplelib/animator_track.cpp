// CAnimatorTrack: play position and the timed speed, weight, enable and finish events of one track.
#include "simplelib/animator_track.h"

namespace SimpleLib {

void CAnimatorTrack::AddSetEnabled(bool value, double delay) {
    auto e = std::make_unique<TrackEvent>();
    e->kind = TrackEvent::Kind::SetEnabled;
    e->value = value;
    e->delay = delay;
    events.push_back(std::move(e));
}

void CAnimatorTrack::AddSpeedFade(double target, double delay, double duration) {
    auto e = std::make_unique<TrackEvent>();
    e->kind = TrackEvent::Kind::SpeedFade;
    e->target = target;
    e->delay = delay;
    e->duration = duration;
    events.push_back(std::move(e));
}

void CAnimatorTrack::AddWeightFade(float target, double delay, double duration) {
    auto e = std::make_unique<TrackEvent>();
    e->kind = TrackEvent::Kind::WeightFade;
    e->target = target;
    e->delay = delay;
    e->duration = duration;
    events.push_back(std::move(e));
}

void CAnimatorTrack::AddFinish(double delay) {
    auto e = std::make_unique<TrackEvent>();
    e->kind = TrackEvent::Kind::Finish;
    e->delay = delay;
    events.push_back(std::move(e));
}

void CAnimatorTrack::AdvancePosition(double dt) {
    if (!enabled || !set) return;
    position += speed * dt * (set->ticksPerSecond / 60.0);
    if (set->length <= 0) {
        position = 0;
    } else if (loop) {
        if (position >= set->length) position = 0; // restarts; the overshoot is dropped
    } else if (position > set->length) {
        position = set->length;
    }
}

void CAnimatorTrack::RunEvents(double dt) {
    for (std::size_t i = 0; i < events.size();) {
        TrackEvent& e = *events[i];
        e.delay -= dt;
        if (e.delay <= 0 && ApplyEvent(e)) {
            events.erase(events.begin() + std::ptrdiff_t(i));
        } else {
            ++i;
        }
    }
}

bool CAnimatorTrack::ApplyEvent(TrackEvent& e) {
    switch (e.kind) {
    case TrackEvent::Kind::SetEnabled: enabled = e.value; return true;
    case TrackEvent::Kind::Finish: finished = true; return true;
    case TrackEvent::Kind::SpeedFade:
    case TrackEvent::Kind::WeightFade: break;
    }
    const bool isSpeed = e.kind == TrackEvent::Kind::SpeedFade;
    if (!e.started) {
        e.startValue = isSpeed ? speed : double(weight);
        e.started = true;
    }
    double d = e.duration != 0 ? -e.delay / e.duration : 1.0;
    bool done = d >= 1.0;
    if (isSpeed) {
        speed = done ? e.target : double(float((1.0 - d) * e.startValue + d * e.target));
    } else {
        weight = done ? float(e.target) : float((1.0 - d) * e.startValue + d * e.target);
    }
    return done;
}

} // namespace SimpleLib
