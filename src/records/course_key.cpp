// Course id and map checksum, both taken from the course chosen to race.
#include "records/course_key.h"

#include "map/course_list.h"
#include "platform/fs/atomic_file.h"
#include "records/save_folder.h"

namespace records {

std::string CourseMapPath() { return CourseList::Instance().Selected().mapPath; }

std::string CourseId() { return CourseList::Instance().Selected().id; }

std::uint64_t CourseMapChecksum() {
    std::string bytes;
    if (!platform::fs::ReadWholeFile(CourseMapPath(), &bytes, nullptr)) return 0;
    return Checksum(bytes);
}

CourseKey ChosenCourseKey(const std::string& difficulty) { return {CourseId(), difficulty, CourseMapChecksum()}; }

std::string RecordClass(RaceMode mode, Difficulty level) {
    switch (mode) {
    case RaceMode::Trial: return "trial";
    case RaceMode::Championship: return std::string(DifficultyName(level)) + "-championship";
    case RaceMode::Race: break;
    }
    return DifficultyName(level);
}

} // namespace records
