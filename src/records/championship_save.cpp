// The championship's points and standings, its file format and its place in the save folder.
#include "records/championship_save.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <sstream>

#include "platform/fs/atomic_file.h"
#include "platform/fs/folder_lock.h"

namespace {

constexpr const char* kHeader = "orlenda-championship";
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kMostCourses = 64;
constexpr const char* kTag = "championship";

using records::FileState;

bool ParseNumber(const std::string& text, std::uint64_t* out) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// Five numbers from `low` to `high`.
bool ParseRow(const std::string& text, std::int32_t low, std::int32_t high,
              std::array<std::int32_t, Championship::kRacers>* row) {
    std::istringstream words(text);
    std::string word;
    for (std::int32_t& value : *row) {
        std::uint64_t number = 0;
        if (!(words >> word) || !ParseNumber(word, &number) || number < std::uint64_t(low) ||
            number > std::uint64_t(high))
            return false;
        value = static_cast<std::int32_t>(number);
    }
    return !(words >> word);
}

std::string Row(const std::array<std::int32_t, Championship::kRacers>& row) {
    std::string text;
    for (std::int32_t value : row) text += " " + std::to_string(value);
    return text;
}

// One line; an empty reason is a line well read.
FileState ApplyLine(const std::string& key, const std::string& rest, bool* versionSeen, Championship* out,
                    std::string* reason) {
    std::uint64_t number = 0;
    const std::int32_t mostPoints = static_cast<std::int32_t>(kMostCourses) * Championship::kPoints[0];
    if (!*versionSeen) {
        if (key != kHeader) return *reason = "not a championship file", FileState::Damaged;
        if (!ParseNumber(rest, &number) || number == 0) return *reason = "version is not a number", FileState::Damaged;
        if (number > kVersion) return *reason = "championship version " + rest, FileState::Newer;
        *versionSeen = true;
    } else if (key == "difficulty") {
        if (!ParseDifficulty(rest, &out->level))
            return *reason = "difficulty is easy, normal or hard", FileState::Damaged;
    } else if (key == "course") {
        if (rest.empty() || rest.find(' ') != std::string::npos || out->courses.size() >= kMostCourses)
            return *reason = "course needs one course id", FileState::Damaged;
        out->courses.push_back(rest);
    } else if (key == "raced") {
        if (!ParseNumber(rest, &number) || number > kMostCourses)
            return *reason = "raced needs a number of races", FileState::Damaged;
        out->raced = static_cast<std::size_t>(number);
    } else if (key == "points" || key == "places" || key == "before") {
        auto* row = key == "points" ? &out->points : key == "places" ? &out->lastPlaces : &out->rankBefore;
        if (!ParseRow(rest, 0, key == "points" ? mostPoints : 5, row))
            return *reason = key + " needs five numbers", FileState::Damaged;
    } else {
        return *reason = "unknown entry \"" + key + "\"", FileState::Damaged;
    }
    return FileState::Ok;
}

} // namespace

void Championship::AddRace(const std::array<std::int32_t, kRacers>& places) {
    rankBefore = Ranks();
    lastPlaces = places;
    for (std::size_t i = 0; i < kRacers; ++i)
        if (places[i] >= 1 && places[i] <= static_cast<std::int32_t>(kRacers))
            points[i] += kPoints[static_cast<std::size_t>(places[i] - 1)];
    ++raced;
}

std::array<std::size_t, Championship::kRacers> Championship::Order() const {
    std::array<std::size_t, kRacers> order;
    std::iota(order.begin(), order.end(), std::size_t{0});
    auto lastPlace = [this](std::size_t i) { return lastPlaces[i] > 0 ? lastPlaces[i] : 99; };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (points[a] != points[b]) return points[a] > points[b];
        return lastPlace(a) < lastPlace(b);
    });
    return order;
}

std::array<std::int32_t, Championship::kRacers> Championship::Ranks() const {
    std::array<std::int32_t, kRacers> ranks{};
    const auto order = Order();
    for (std::size_t k = 0; k < kRacers; ++k) ranks[order[k]] = static_cast<std::int32_t>(k + 1);
    return ranks;
}

Championship NewChampionship(const std::vector<std::string>& courses, Difficulty level) {
    Championship championship;
    championship.level = level;
    championship.courses = courses;
    championship.rankBefore = championship.Ranks();
    return championship;
}

std::string FormatChampionship(const Championship& championship) {
    std::ostringstream out;
    out << "# Orlenda championship in progress; points per racer on the grid, the person first.\n";
    out << kHeader << ' ' << kVersion << '\n';
    out << "difficulty " << DifficultyName(championship.level) << '\n';
    for (const std::string& course : championship.courses) out << "course " << course << '\n';
    out << "raced " << championship.raced << '\n';
    out << "points" << Row(championship.points) << '\n';
    out << "places" << Row(championship.lastPlaces) << '\n';
    out << "before" << Row(championship.rankBefore) << '\n';
    const std::string text = out.str();
    return text + "end " + Hex(records::Checksum(text)) + '\n';
}

FileState ParseChampionship(const std::string& text, Championship* championship, std::string* error) {
    Championship read;
    bool versionSeen = false, ended = false;
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t newline = text.find('\n', start);
        if (newline == std::string::npos) return *error = "cut short inside its last line", FileState::Damaged;
        const std::string line = text.substr(start, newline - start);
        ++number;
        const std::size_t lineStart = start;
        start = newline + 1;
        if (line.empty() || line[0] == '#') continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (ended) return *error = where + "text after the end line", FileState::Damaged;
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (key == "end" && versionSeen) {
            if (rest != Hex(records::Checksum(text.substr(0, lineStart))))
                return *error = where + "the end line's checksum does not match", FileState::Damaged;
            ended = true;
            continue;
        }
        std::string reason;
        const FileState state = ApplyLine(key, rest, &versionSeen, &read, &reason);
        if (state == FileState::Newer) return *error = reason, state;
        if (state != FileState::Ok) return *error = where + reason, state;
    }
    if (!ended) return *error = "cut short: no end line", FileState::Damaged;
    if (read.courses.empty() || read.raced > read.courses.size())
        return *error = "no courses, or more races than courses", FileState::Damaged;
    *championship = std::move(read);
    return FileState::Ok;
}

bool LoadChampionship(Championship* championship) {
    const std::string path = records::SavePath(kChampionshipFile);
    if (path.empty() || records::HeldBack(kChampionshipFile)) return false;
    platform::fs::FolderLock lock;
    records::LockSaveFolder(&lock, false, "reading without it");
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return false;
    std::string text, error;
    FileState state = platform::fs::ReadWholeFile(path, &text, &error) ? ParseChampionship(text, championship, &error)
                                                                       : FileState::Damaged;
    if (state == FileState::Ok) return true;
    if (state == FileState::Newer) {
        if (records::HoldBack(kChampionshipFile))
            std::fprintf(stderr,
                         "%s: %s: written by a newer Orlenda (%s); left as it is, and no championship is "
                         "saved this run\n",
                         kTag, path.c_str(), error.c_str());
        return false;
    }
    records::SetAside(path, "unreadable", kTag, error, "starting a new championship");
    return false;
}

bool SaveChampionship(const Championship& championship) {
    if (records::SaveFolder().empty() || records::HeldBack(kChampionshipFile)) return false;
    platform::fs::FolderLock lock;
    if (!records::LockSaveFolder(&lock, true, "this championship race is not saved")) return false;
    // What is there now may have changed since it was read: a file this game cannot read is set
    // aside first, and a newer game's is left alone.
    const std::string path = records::SavePath(kChampionshipFile);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        std::string text, error;
        Championship there;
        const FileState state = platform::fs::ReadWholeFile(path, &text, &error)
                                    ? ParseChampionship(text, &there, &error)
                                    : FileState::Damaged;
        if (state == FileState::Newer) {
            records::HoldBack(kChampionshipFile);
            std::fprintf(stderr,
                         "%s: %s: written by a newer Orlenda (%s); left as it is, and this championship is "
                         "not saved\n",
                         kTag, path.c_str(), error.c_str());
            return false;
        }
        if (state == FileState::Damaged) records::SetAside(path, "unreadable", kTag, error, "saving this one");
    }
    return records::SaveFile(kChampionshipFile, FormatChampionship(championship));
}
