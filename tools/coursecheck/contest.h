// The contest and ladder tables: races a course at each level with the player's racer on the
// automatic pilot, and sums up how much the racers fought and where the steady pilot finished.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "race/course.h"
#include "race/difficulty.h"
#include "race/rivals.h"

// Which computer racers fly: the rivals a single race or a championship race has at the level, or
// the game's own unnamed racers at every level (how every level raced before the rivals).
enum class ContestField { Race, Championship, Unnamed };

struct ContestOptions {
    ContestField field = ContestField::Championship;
    std::vector<Difficulty> levels{Difficulty::Easy, Difficulty::Normal, Difficulty::Hard};
    std::vector<unsigned> seeds;
    std::int64_t frameLimit = 20000;
};

// One race, summed up.
struct ContestRace {
    unsigned seed = 0;
    bool allFinished = false;
    int placeChanges = 0;       // pairs of racers that swapped places (and kept it half a second) after 5 s
    bool orderChanged = false;  // the finishing order is not the order they left the grid in
    int pilotPlace = 0;         // where the player's racer (on the automatic pilot) finished
    double pilotLapS = 0.0;     // its time from "go" to the finish
    double bestRivalLapS = 0.0; // the fastest computer racer's
    int missedRings = 0;        // times a computer racer flew past its next ring and had to turn back
    std::string line;           // every racer's name, place and lap
};

// What a level came to on one course.
struct ContestRow {
    std::string course;
    Difficulty level = Difficulty::Normal;
    std::vector<ContestRace> races;
};

// Races every seed at every level of the options on the course.
std::vector<ContestRow> RunContest(const race::Course& course, const std::string& id, const ContestOptions& options);
// The table of every row (with each race's line before it when `races`) and each target missed;
// returns the misses.
int PrintContest(const std::vector<ContestRow>& rows, ContestField field, bool races);
