// Best times of one course at one difficulty, kept as a small text file a person can read:
//
//     orlenda-record 2
//     course map2
//     difficulty normal
//     map 5f1c0e2a9b3d4c77   (checksum of the map file the times were flown on)
//     best 83456             (milliseconds)
//     date 2026-12-08 01:23
//     place 2
//     split 1 10640          (best time from the start, or the checkpoint before, to checkpoint N)
//     ghost 0a4e1b7c3d2f9e81 (checksum of the best race's ghost file; "none" when it kept none)
//     end 3c9a7f0e12b4d566   (checksum of every byte before this line)
//
// Lines starting with '#' are comments. The end line makes a cut or changed file unreadable
// rather than a different best time. Version-1 files (no map, ghost or end line) are still read
// when they end with a whole line and hold course, difficulty and best; they are written back as
// version 2 on the next save.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/save_folder.h"

struct CourseRecord {
    std::uint32_t bestMs = 0;                // 0: no finished race yet
    std::string date;                        // of the best race, local time
    std::int32_t place = 0;                  // of the best race
    std::vector<std::uint32_t> bestSplitsMs; // per checkpoint, each the best ever flown; 0: none
    std::uint64_t mapChecksum = 0;           // the map the times were flown on
    std::uint64_t ghostChecksum = 0;         // the best race's ghost; 0: it kept none
    // Read from a version-1 file, which names neither the map nor the ghost.
    bool versionOne = false;

    bool HasBest() const { return bestMs > 0; }
    // The best split of checkpoint k (0-based), or 0.
    std::uint32_t BestSplit(std::size_t k) const { return k < bestSplitsMs.size() ? bestSplitsMs[k] : 0; }
    // Folds a finished race in. Returns true when its time beat the best (or there was none).
    bool AddRace(std::uint32_t timeMs, const std::vector<std::uint32_t>& splitsMs, std::int32_t racePlace,
                 const std::string& raceDate);
};

std::string FormatCourseRecord(const CourseRecord& record, const std::string& course, const std::string& difficulty);
// Ok, or Damaged / Newer with "line N: reason" when the text is not a whole record of this
// course and difficulty.
records::FileState ParseCourseRecord(const std::string& text, const std::string& course, const std::string& difficulty,
                                     CourseRecord* record, std::string* error);

// "map2-normal.record"
std::string CourseRecordName(const std::string& course, const std::string& difficulty);
// Local date and time as the record keeps it.
std::string RecordDateNow();
