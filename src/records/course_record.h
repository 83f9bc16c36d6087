// Best times of one course at one difficulty, kept as a small text file a person can read:
//
//     orlenda-record 1
//     course map2
//     difficulty normal
//     best 83456            (milliseconds)
//     date 2026-12-08 01:23
//     place 2
//     split 1 10640         (best time from the start, or the checkpoint before, to checkpoint N)
//
// Lines starting with '#' are comments. Any other line, a missing header or a second version makes
// the file unreadable; the loader then sets it aside rather than ever writing over it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CourseRecord {
    std::uint32_t bestMs = 0;                // 0: no finished race yet
    std::string date;                        // of the best race, local time
    std::int32_t place = 0;                  // of the best race
    std::vector<std::uint32_t> bestSplitsMs; // per checkpoint, each the best ever flown; 0: none

    bool HasBest() const { return bestMs > 0; }
    // The best split of checkpoint k (0-based), or 0.
    std::uint32_t BestSplit(std::size_t k) const { return k < bestSplitsMs.size() ? bestSplitsMs[k] : 0; }
    // Folds a finished race in. Returns true when its time beat the best (or there was none).
    bool AddRace(std::uint32_t timeMs, const std::vector<std::uint32_t>& splitsMs, std::int32_t racePlace,
                 const std::string& raceDate);
};

std::string FormatCourseRecord(const CourseRecord& record, const std::string& course, const std::string& difficulty);
// false with "line N: reason" when the text is not a record of this course and difficulty.
bool ParseCourseRecord(const std::string& text, const std::string& course, const std::string& difficulty,
                       CourseRecord* record, std::string* error);

// The record of a course and difficulty from the save folder. No folder or no file: an empty record.
// A file that cannot be read or parsed is set aside (one stderr line) and an empty record returned.
CourseRecord LoadCourseRecord(const std::string& course, const std::string& difficulty);
// Writes it atomically; false when nothing was saved (the save folder said why, once).
bool SaveCourseRecord(const CourseRecord& record, const std::string& course, const std::string& difficulty);
// "map2-normal.record"
std::string CourseRecordName(const std::string& course, const std::string& difficulty);
// Local date and time as the record keeps it.
std::string RecordDateNow();
