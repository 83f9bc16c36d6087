// Loading before the race, capturing during it, saving after the keyboard racer's finish.
#include "scenes/race_records.h"

#include "records/course_key.h"
#include "records/save_folder.h"
#include "scenes/ghost_racer.h"
#include "scenes/race_results.h"

void RaceRecords::Load(Difficulty level, bool ghostOn) {
    course = records::CourseId();
    difficulty = DifficultyName(level);
    saving = !records::SaveFolder().empty();
    if (!saving) return;
    mapChecksum = records::CourseMapChecksum();
    record = LoadCourseRecord(course, difficulty);
    before = record;
    if (ghostOn && !LoadGhost(course, difficulty, mapChecksum, &ghost)) ghost = GhostRun{};
    flight.course = course;
    flight.mapChecksum = mapChecksum;
}

void RaceRecords::Capture(const Player& keyboard, float animationTime) {
    // Past an hour the race is too long to keep as a ghost; its time still counts.
    if (saving && flight.frames.size() <= kMostGhostFrames)
        flight.frames.push_back(GhostRacer::Capture(keyboard, animationTime));
}

void RaceRecords::Finish(const RaceResults& results, std::int32_t place) {
    if (!saving) return;
    newRecord = record.AddRace(results.KeyboardTimeMs(), results.Splits(), place, RecordDateNow());
    if (!SaveCourseRecord(record, course, difficulty)) return;
    if (newRecord && flight.frames.size() <= kMostGhostFrames) SaveGhost(flight, difficulty);
}
