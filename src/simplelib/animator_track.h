// SimpleLib::CAnimatorTrack: one animation playing at a speed and weight, with timed fades.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "simplelib/animation_set.h"

namespace SimpleLib {

struct TrackEvent {
    enum class Kind { SetEnabled, SpeedFade, WeightFade, Finish };
    Kind kind = Kind::Finish;
    double delay = 0;    // frames until due; counts down
    bool value = false;  // SetEnabled
    double duration = 0; // fades
    double target = 0;
    double startValue = 0;
    bool started = false;
};

class CAnimatorTrack {
public:
    void AddSetEnabled(bool value, double delay);
    void AddSpeedFade(double target, double delay, double duration);
    void AddWeightFade(float target, double delay, double duration);
    void AddFinish(double delay);
    // Moves the play position by dt frames (enabled tracks only), wrapping or clamping at the end.
    void AdvancePosition(double dt);
    // Counts every event down by dt and applies the due ones in order.
    void RunEvents(double dt);

    std::shared_ptr<CAnimationSet> set;
    std::int32_t setIndex = 0;
    float weight = 0;
    double speed = 0;
    double position = 0;
    bool loop = false;
    bool enabled = false;
    bool finished = false;
    std::vector<std::unique_ptr<TrackEvent>> events;

private:
    // Applies one due event; true when it is done and leaves the list.
    bool ApplyEvent(TrackEvent& event);
};

} // namespace SimpleLib
