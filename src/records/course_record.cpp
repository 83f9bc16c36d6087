// The record file: format, strict parse, load that sets bad files aside, atomic save.
#include "records/course_record.h"

#include <charconv>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "platform/fs/atomic_file.h"
#include "records/save_folder.h"

namespace {

constexpr const char* kHeader = "orlenda-record";
constexpr int kVersion = 1;
constexpr std::size_t kMostSplits = 1000;

bool ParseCount(const std::string& text, std::uint32_t* out) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && end == text.data() + text.size();
}

struct LineParser {
    const std::string& course;
    const std::string& difficulty;
    CourseRecord* record;
    bool sawHeader = false;

    // One line's key and rest; false with the reason.
    bool Apply(const std::string& key, const std::string& rest, std::string* reason) {
        std::uint32_t number = 0;
        if (!sawHeader) {
            sawHeader = key == kHeader;
            if (!sawHeader) return *reason = "not a record file (no \"orlenda-record\" header)", false;
            if (rest != std::to_string(kVersion)) return *reason = "record version " + rest + " is not known", false;
        } else if (key == "course") {
            if (rest != course) return *reason = "kept for course \"" + rest + "\"", false;
        } else if (key == "difficulty") {
            if (rest != difficulty) return *reason = "kept for difficulty \"" + rest + "\"", false;
        } else if (key == "best") {
            if (!ParseCount(rest, &record->bestMs)) return *reason = "best needs milliseconds", false;
        } else if (key == "date") {
            record->date = rest;
        } else if (key == "place") {
            if (!ParseCount(rest, &number) || number < 1 || number > 99) return *reason = "place needs 1 to 99", false;
            record->place = static_cast<std::int32_t>(number);
        } else if (key == "split") {
            return ApplySplit(rest, reason);
        } else {
            return *reason = "unknown entry \"" + key + "\"", false;
        }
        return true;
    }

    bool ApplySplit(const std::string& rest, std::string* reason) {
        const std::size_t space = rest.find(' ');
        std::uint32_t index = 0, ms = 0;
        if (space == std::string::npos || !ParseCount(rest.substr(0, space), &index) ||
            !ParseCount(rest.substr(space + 1), &ms))
            return *reason = "split needs a checkpoint number and milliseconds", false;
        if (index < 1 || index > kMostSplits) return *reason = "split number out of range", false;
        if (record->bestSplitsMs.size() < index) record->bestSplitsMs.resize(index, 0);
        record->bestSplitsMs[index - 1] = ms;
        return true;
    }
};

} // namespace

bool CourseRecord::AddRace(std::uint32_t timeMs, const std::vector<std::uint32_t>& splitsMs, std::int32_t racePlace,
                           const std::string& raceDate) {
    if (bestSplitsMs.size() < splitsMs.size()) bestSplitsMs.resize(splitsMs.size(), 0);
    for (std::size_t k = 0; k < splitsMs.size(); ++k)
        if (splitsMs[k] > 0 && (bestSplitsMs[k] == 0 || splitsMs[k] < bestSplitsMs[k])) bestSplitsMs[k] = splitsMs[k];
    if (timeMs == 0 || (HasBest() && timeMs >= bestMs)) return false;
    bestMs = timeMs;
    place = racePlace;
    date = raceDate;
    return true;
}

std::string FormatCourseRecord(const CourseRecord& record, const std::string& course, const std::string& difficulty) {
    std::ostringstream out;
    out << "# Orlenda best times of one course and difficulty; times in milliseconds.\n";
    out << kHeader << ' ' << kVersion << '\n';
    out << "course " << course << '\n' << "difficulty " << difficulty << '\n';
    out << "best " << record.bestMs << '\n';
    if (!record.date.empty()) out << "date " << record.date << '\n';
    if (record.place > 0) out << "place " << record.place << '\n';
    for (std::size_t k = 0; k < record.bestSplitsMs.size(); ++k)
        if (record.bestSplitsMs[k] > 0) out << "split " << k + 1 << ' ' << record.bestSplitsMs[k] << '\n';
    return out.str();
}

bool ParseCourseRecord(const std::string& text, const std::string& course, const std::string& difficulty,
                       CourseRecord* record, std::string* error) {
    *record = CourseRecord{};
    LineParser parser{course, difficulty, record};
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
        std::string reason;
        if (!parser.Apply(key, rest, &reason)) {
            *error = "line " + std::to_string(number) + ": " + reason;
            *record = CourseRecord{};
            return false;
        }
    }
    if (!parser.sawHeader) {
        *error = "empty: no \"orlenda-record\" header";
        return false;
    }
    return true;
}

std::string CourseRecordName(const std::string& course, const std::string& difficulty) {
    return course + "-" + difficulty + ".record";
}

CourseRecord LoadCourseRecord(const std::string& course, const std::string& difficulty) {
    CourseRecord record;
    const std::string path = records::SavePath(CourseRecordName(course, difficulty));
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) return record;
    std::string text, error;
    if (!platform::fs::ReadWholeFile(path, &text, &error) ||
        !ParseCourseRecord(text, course, difficulty, &record, &error)) {
        records::SetAside(path, "records", error, "starting afresh");
        return CourseRecord{};
    }
    return record;
}

bool SaveCourseRecord(const CourseRecord& record, const std::string& course, const std::string& difficulty) {
    return records::SaveFile(CourseRecordName(course, difficulty), FormatCourseRecord(record, course, difficulty));
}

std::string RecordDateNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}
