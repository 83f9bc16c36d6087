// RaceMonitor: watches one headless race update by update and sums up how each racer got round.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "race/course.h"
#include "race/race_state.h"

// What one racer did in one race.
struct RacerReport {
    bool finished = false;
    std::int64_t lapFrames = 0; // race updates from the start to the finish
    int place = 0;              // finishing order, 1 first; 0 if it never finished
    int stuckWindows = 0;       // stretches of 600 updates without passing a checkpoint
    int detours = 0;            // times the automatic pilot turned off its way round an obstacle
    int nearMisses = 0;         // times it passed within 2 x reach of scenery without touching it
    int sceneryTouches = 0;     // contacts with anything but the ground
    int groundTouches = 0;      // frames with a ground contact
    int collisionOffFrames = 0; // frames flown with collision switched off (stuck against a wall)
};

class RaceMonitor {
public:
    static constexpr std::int64_t kStuckWindow = 600;

    RaceMonitor(const race::Course& raced, std::size_t racers) : course(raced), reports(racers), state(racers) {}
    // After each update of a started race.
    void Observe(const race::RaceState& race);
    const std::vector<RacerReport>& Reports() const { return reports; }
    bool AllFinished() const;

private:
    struct Tracking {
        std::int32_t checkPoint = -1;
        std::int64_t lastProgress = 0;
        bool detour = false;
        bool near = false;
        bool touching = false;
    };

    const race::Course& course;
    std::int64_t frame = 0;
    int finishers = 0;
    std::vector<RacerReport> reports;
    std::vector<Tracking> state;
};
