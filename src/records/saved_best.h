// One course and difficulty's saved best as one unit: the record and the ghost it names, read and
// checked against each other, and written under the save folder's lock, the ghost first and the
// record last, so that a record never names a ghost that is not its best race's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "records/course_key.h"
#include "records/course_record.h"
#include "records/ghost_file.h"

struct SavedBest {
    CourseRecord record; // no best when there is none that can be used
    GhostRun ghost;      // the best race's ghost; no frames when there is none to race
    // No usable record, but an intact ghost of this course: its update count is the best known,
    // and only a race of fewer updates replaces it.
    std::size_t ghostOnlyUpdates = 0;
    // A newer game's file: nothing of this course and difficulty is written for the rest of the run.
    bool heldBack = false;
};

// Reads the record and ghost of `key` (under the folder's lock when the folder exists). What
// cannot be used is said on stderr, one line each: a damaged file, or a record of another map, is
// set aside; a ghost its record does not name is set aside; a newer game's file is left as it is
// and holds the course and difficulty back. `sayWhyNoGhost` adds a line for an intact ghost that
// belongs to another course, map or difficulty (left where it is, not raced).
SavedBest LoadSavedBest(const records::CourseKey& key, bool sayWhyNoGhost);

struct FinishedRace {
    std::uint32_t timeMs = 0;
    std::vector<std::uint32_t> splitsMs;
    std::int32_t place = 0;
    std::string date;
    std::size_t updates = 0;         // from "go" to the finish
    const GhostRun* ghost = nullptr; // nullptr: too long to keep
};

struct SaveOutcome {
    CourseRecord record;    // the best now (no best when the record is still unknown)
    bool newRecord = false; // this race beat the best known when it was saved
    bool saved = false;
};

// Folds the race into what the folder holds now: under the lock the files are read again, so a
// better race another game saved meanwhile is kept. A new best writes its ghost, then the record
// naming it. When the folder cannot be locked the race is measured against `loaded` and not saved.
SaveOutcome SaveFinishedRace(const records::CourseKey& key, const FinishedRace& race, const SavedBest& loaded);
