// The record file: format, strict parse of both versions, the end line's checksum.
#include "records/course_record.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <sstream>

namespace {

constexpr const char* kHeader = "orlenda-record";
constexpr std::uint32_t kVersion = 2;
constexpr std::size_t kMostSplits = 1000;

using records::FileState;

bool ParseCount(const std::string& text, std::uint32_t* out) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseHex(const std::string& text, std::uint64_t* out) {
    if (text.size() != 16) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out, 16);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// The lines a whole file of each version must hold, as bits.
enum Seen : unsigned { kCourse = 1, kDifficulty = 2, kBest = 4, kMap = 8, kGhost = 16, kEnd = 32 };
constexpr unsigned kNeededByVersion1 = kCourse | kDifficulty | kBest;
constexpr unsigned kNeededByVersion2 = kNeededByVersion1 | kMap | kGhost | kEnd;

struct LineParser {
    const std::string& text;
    const std::string& course;
    const std::string& difficulty;
    CourseRecord* record;
    std::uint32_t version = 0;
    unsigned seen = 0;

    // One line's key and rest; false with the reason. `start` is where the line begins in `text`.
    FileState Apply(const std::string& key, const std::string& rest, std::size_t start, std::string* reason) {
        if (version == 0) return ApplyHeader(key, rest, reason);
        if (key == "course") {
            if (rest != course) return *reason = "kept for course \"" + rest + "\"", FileState::Damaged;
            seen |= kCourse;
        } else if (key == "difficulty") {
            if (rest != difficulty) return *reason = "kept for difficulty \"" + rest + "\"", FileState::Damaged;
            seen |= kDifficulty;
        } else if (key == "best") {
            if (!ParseCount(rest, &record->bestMs)) return *reason = "best needs milliseconds", FileState::Damaged;
            seen |= kBest;
        } else if (key == "date") {
            record->date = rest;
        } else if (key == "place") {
            std::uint32_t number = 0;
            if (!ParseCount(rest, &number) || number < 1 || number > 99)
                return *reason = "place needs 1 to 99", FileState::Damaged;
            record->place = static_cast<std::int32_t>(number);
        } else if (key == "split") {
            return ApplySplit(rest, reason);
        } else if (version >= 2) {
            return ApplyVersionTwo(key, rest, start, reason);
        } else {
            return *reason = "unknown entry \"" + key + "\"", FileState::Damaged;
        }
        return FileState::Ok;
    }

    FileState ApplyHeader(const std::string& key, const std::string& rest, std::string* reason) {
        if (key != kHeader) return *reason = "not a record file (no \"orlenda-record\" header)", FileState::Damaged;
        if (!ParseCount(rest, &version) || version == 0)
            return *reason = "record version \"" + rest + "\" is not a number", FileState::Damaged;
        if (version > kVersion) return *reason = "record version " + rest, FileState::Newer;
        record->versionOne = version == 1;
        return FileState::Ok;
    }

    FileState ApplyVersionTwo(const std::string& key, const std::string& rest, std::size_t start, std::string* reason) {
        if (key == "map") {
            if (!ParseHex(rest, &record->mapChecksum)) return *reason = "map needs a checksum", FileState::Damaged;
            seen |= kMap;
        } else if (key == "ghost") {
            if (rest != "none" && !ParseHex(rest, &record->ghostChecksum))
                return *reason = "ghost needs a checksum or none", FileState::Damaged;
            seen |= kGhost;
        } else if (key == "end") {
            std::uint64_t stored = 0;
            if (!ParseHex(rest, &stored) || stored != records::Checksum(text.substr(0, start)))
                return *reason = "the end line's checksum does not match", FileState::Damaged;
            seen |= kEnd;
        } else {
            return *reason = "unknown entry \"" + key + "\"", FileState::Damaged;
        }
        return FileState::Ok;
    }

    FileState ApplySplit(const std::string& rest, std::string* reason) {
        const std::size_t space = rest.find(' ');
        std::uint32_t index = 0, ms = 0;
        if (space == std::string::npos || !ParseCount(rest.substr(0, space), &index) ||
            !ParseCount(rest.substr(space + 1), &ms))
            return *reason = "split needs a checkpoint number and milliseconds", FileState::Damaged;
        if (index < 1 || index > kMostSplits) return *reason = "split number out of range", FileState::Damaged;
        if (record->bestSplitsMs.size() < index) record->bestSplitsMs.resize(index, 0);
        record->bestSplitsMs[index - 1] = ms;
        return FileState::Ok;
    }

    // What a whole file holds beyond its lines being right: nothing is missing, nothing is cut.
    FileState Complete(std::string* reason) const {
        if (version == 0) return *reason = "empty: no \"orlenda-record\" header", FileState::Damaged;
        const unsigned needed = version == 1 ? kNeededByVersion1 : kNeededByVersion2;
        if ((seen & needed) != needed)
            return *reason = (needed & ~seen & kEnd) ? "cut short: no end line" : "cut short: lines are missing",
                   FileState::Damaged;
        if (text.back() != '\n') return *reason = "cut short inside its last line", FileState::Damaged;
        return FileState::Ok;
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
    out << "map " << Hex(record.mapChecksum) << '\n';
    out << "best " << record.bestMs << '\n';
    if (!record.date.empty()) out << "date " << record.date << '\n';
    if (record.place > 0) out << "place " << record.place << '\n';
    for (std::size_t k = 0; k < record.bestSplitsMs.size(); ++k)
        if (record.bestSplitsMs[k] > 0) out << "split " << k + 1 << ' ' << record.bestSplitsMs[k] << '\n';
    out << "ghost " << (record.ghostChecksum ? Hex(record.ghostChecksum) : "none") << '\n';
    std::string text = out.str();
    return text + "end " + Hex(records::Checksum(text)) + '\n';
}

FileState ParseCourseRecord(const std::string& text, const std::string& course, const std::string& difficulty,
                            CourseRecord* record, std::string* error) {
    *record = CourseRecord{};
    LineParser parser{text, course, difficulty, record};
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t next = newline == std::string::npos ? text.size() : newline + 1;
        std::string line = text.substr(start, next - start - (newline == std::string::npos ? 0 : 1));
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && (parser.seen & kEnd)) {
            *error = "line " + std::to_string(number) + ": text after the end line";
            *record = CourseRecord{};
            return FileState::Damaged;
        }
        if (!line.empty() && line[0] != '#') {
            const std::size_t space = line.find(' ');
            const std::string key = line.substr(0, space);
            const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
            std::string reason;
            const FileState state = parser.Apply(key, rest, start, &reason);
            if (state != FileState::Ok) {
                *error = state == FileState::Newer ? reason : "line " + std::to_string(number) + ": " + reason;
                *record = CourseRecord{};
                return state;
            }
        }
        start = next;
    }
    const FileState state = parser.Complete(error);
    if (state != FileState::Ok) *record = CourseRecord{};
    return state;
}

std::string CourseRecordName(const std::string& course, const std::string& difficulty) {
    return course + "-" + difficulty + ".record";
}

std::string RecordDateNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}
