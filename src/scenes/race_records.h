// RaceRecords: the race scene's link to what is saved — the best times it races against, the ghost
// it brings along, and the record (and, for a new best, the ghost) written after the finish.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "records/saved_best.h"

class Player;
class RaceResults;

class RaceRecords {
public:
    // Reads the record and ghost of the course being raced in `recordClass` (records::RecordClass);
    // the ghost flies only when `ghostOn`. Nothing is read when there is no save folder.
    void Load(const std::string& recordClass, bool ghostOn);
    // An online race: nothing is read or saved, and no ghost flies. Records are single-player races.
    void LoadOnline();
    // The ghost to fly this race, moved out (empty when there is none).
    GhostRun TakeGhost() { return std::move(ghost); }
    // One update of the keyboard racer for this race's own ghost; `pilotFlew`: the automatic pilot
    // flew it in this update.
    void Capture(const Player& keyboard, float animationTime, bool pilotFlew);
    // The keyboard racer has finished: the race is folded into the record and saved; a new best
    // also replaces the ghost. `place` is the one the result screen shows. An assisted race is
    // neither saved nor measured against the best.
    void Finish(const RaceResults& results, std::int32_t place);

    // The automatic pilot flew more than a tenth of the person's updates: the race proves nothing.
    bool Assisted() const { return pilotUpdates * kAssistedShare > updates; }
    static constexpr std::size_t kAssistedShare = 10;
    // Why this race was not saved, for the result screen ("" when it counts).
    const char* NothingSaved() const;

    // The best time before this race (0: none) — what the splits and the result are measured against.
    const CourseRecord& Before() const { return saved.record; }
    // After Finish: the best time now, and whether this race set it.
    std::uint32_t BestMs() const { return outcome.record.bestMs; }
    bool NewRecord() const { return outcome.newRecord; }

private:
    records::CourseKey key;
    bool saving = false;
    bool online = false;
    SavedBest saved;
    GhostRun ghost;
    GhostRun flight;
    SaveOutcome outcome;
    std::size_t updates = 0;      // the person's updates from "go" to the finish
    std::size_t pilotUpdates = 0; // of them, those the automatic pilot flew
};
