// Reading the record and ghost as a pair, and saving a finished race into them under the lock.
#include "records/saved_best.h"

#include <cstdio>
#include <filesystem>

#include "platform/fs/atomic_file.h"
#include "platform/fs/folder_lock.h"
#include "records/save_folder.h"

namespace {

using records::CourseKey;
using records::FileState;

struct RecordRead {
    std::string path;
    bool exists = false;
    FileState state = FileState::Ok;
    CourseRecord record;
    std::string error;
};

struct GhostRead {
    std::string path;
    bool exists = false;
    FileState state = FileState::Ok;
    GhostRun run;
    std::string error;
};

std::string KeyName(const CourseKey& key) { return key.course + " at " + key.difficulty; }

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

RecordRead ReadRecord(const CourseKey& key) {
    RecordRead read;
    read.path = records::SavePath(CourseRecordName(key.course, key.difficulty));
    read.exists = Exists(read.path);
    if (!read.exists) return read;
    std::string text;
    read.state = platform::fs::ReadWholeFile(read.path, &text, &read.error)
                     ? ParseCourseRecord(text, key.course, key.difficulty, &read.record, &read.error)
                     : FileState::Damaged;
    return read;
}

GhostRead ReadGhost(const CourseKey& key) {
    GhostRead read;
    read.path = records::SavePath(GhostFileName(key.course, key.difficulty));
    read.exists = Exists(read.path);
    if (read.exists) read.state = ReadGhostFile(read.path, &read.run, &read.error);
    return read;
}

// Why an intact ghost cannot be raced on this course at this difficulty; null when it can.
// A version-1 ghost names no difficulty: it was always filed under its own.
const char* GhostMisfit(const GhostRun& run, const CourseKey& key) {
    if (run.course != key.course) return "it was flown on another course";
    if (run.mapChecksum != key.mapChecksum) return "it was flown on another version of the map";
    if (!run.difficulty.empty() && run.difficulty != key.difficulty) return "it was flown at another difficulty";
    if (run.frames.empty()) return "it holds no update";
    return nullptr;
}

bool HoldBackNewer(const RecordRead& record, const GhostRead& ghost, const CourseKey& key) {
    const bool newerRecord = record.exists && record.state == FileState::Newer;
    if (!newerRecord && !(ghost.exists && ghost.state == FileState::Newer)) return false;
    if (records::HoldBack(CourseRecordName(key.course, key.difficulty)))
        std::fprintf(stderr,
                     "%s: %s: written by a newer Orlenda (%s); left as it is, and nothing for %s is saved this run\n",
                     newerRecord ? "records" : "ghost", (newerRecord ? record.path : ghost.path).c_str(),
                     (newerRecord ? record.error : ghost.error).c_str(), KeyName(key).c_str());
    return true;
}

// The record, when it can be used; a damaged one, or one of another map, is set aside.
bool UseRecord(const RecordRead& record, const CourseKey& key, bool ghostFits) {
    if (!record.exists) return false;
    const char* goingOn = ghostFits ? "its ghost stands for the best time" : "starting afresh";
    if (record.state != FileState::Ok) {
        records::SetAside(record.path, "unreadable", "records", record.error, goingOn);
        return false;
    }
    if (!record.record.versionOne && record.record.mapChecksum != key.mapChecksum) {
        records::SetAside(record.path, "other-map", "records", "its times were flown on another version of the map",
                          goingOn);
        return false;
    }
    return true;
}

SavedBest ReadUnlocked(const CourseKey& key, bool sayWhyNoGhost) {
    SavedBest saved;
    if (records::SaveFolder().empty()) return saved;
    saved.heldBack = records::HeldBack(CourseRecordName(key.course, key.difficulty));
    if (saved.heldBack) return saved;
    RecordRead record = ReadRecord(key);
    GhostRead ghost = ReadGhost(key);
    saved.heldBack = HoldBackNewer(record, ghost, key);
    if (saved.heldBack) return saved;

    const bool intact = ghost.exists && ghost.state == FileState::Ok;
    const char* misfit = intact ? GhostMisfit(ghost.run, key) : nullptr;
    bool raceable = intact && !misfit;
    const bool haveRecord = UseRecord(record, key, raceable);
    if (ghost.exists && !intact) {
        records::SetAside(ghost.path, "unreadable", "ghost", ghost.error, "racing without it");
    } else if (intact && haveRecord && !record.record.versionOne && ghost.run.checksum != record.record.ghostChecksum) {
        // The record names the best race, so a ghost it does not name is some other race.
        records::SetAside(ghost.path, "unpaired", "ghost",
                          "not the ghost of the best time in " + CourseRecordName(key.course, key.difficulty) +
                              " (a save was cut short)",
                          "racing without it");
        raceable = false;
    } else if (misfit && sayWhyNoGhost) {
        std::fprintf(stderr, "ghost: %s: %s; racing without it\n", ghost.path.c_str(), misfit);
    }
    if (haveRecord) saved.record = std::move(record.record);
    if (raceable) {
        saved.ghost = std::move(ghost.run);
        if (!haveRecord) saved.ghostOnlyUpdates = saved.ghost.frames.size();
    }
    return saved;
}

// Whether the race beats the best that `known` holds.
bool Beats(const SavedBest& known, const FinishedRace& race) {
    if (race.timeMs == 0) return false;
    if (known.record.HasBest()) return race.timeMs < known.record.bestMs;
    return known.ghostOnlyUpdates == 0 || race.updates < known.ghostOnlyUpdates;
}

// The record after the race; false when there is nothing worth writing (the best is still a
// ghost without a record and this race did not beat it).
bool Fold(const SavedBest& known, const FinishedRace& race, SaveOutcome* outcome) {
    outcome->newRecord = Beats(known, race);
    outcome->record = known.record;
    if (!outcome->newRecord && !known.record.HasBest()) return false;
    outcome->record.AddRace(race.timeMs, race.splitsMs, race.place, race.date);
    return true;
}

// A new best's ghost goes first: killed before the record is written, the old record stays and
// names the old ghost, so the new one is taken for what it is, a ghost without a record.
bool WriteGhost(const CourseKey& key, const FinishedRace& race, CourseRecord* record) {
    const std::string name = GhostFileName(key.course, key.difficulty);
    if (!race.ghost) {
        // Too long to keep: the old best's ghost must not pass for this one's.
        std::error_code ec;
        std::filesystem::remove(records::SavePath(name), ec);
        record->ghostChecksum = 0;
        return true;
    }
    GhostRun run = *race.ghost;
    run.course = key.course;
    run.difficulty = key.difficulty;
    run.mapChecksum = key.mapChecksum;
    const std::string bytes = EncodeGhost(run);
    record->ghostChecksum = EncodedGhostChecksum(bytes);
    return records::SaveFile(name, bytes);
}

} // namespace

SavedBest LoadSavedBest(const CourseKey& key, bool sayWhyNoGhost) {
    platform::fs::FolderLock lock;
    records::LockSaveFolder(&lock, false, "reading without it");
    return ReadUnlocked(key, sayWhyNoGhost);
}

SaveOutcome SaveFinishedRace(const CourseKey& key, const FinishedRace& race, const SavedBest& loaded) {
    SaveOutcome outcome;
    if (records::SaveFolder().empty() || loaded.heldBack) return outcome;
    platform::fs::FolderLock lock;
    if (!records::LockSaveFolder(&lock, true, "this race is not saved")) {
        Fold(loaded, race, &outcome);
        return outcome;
    }
    const SavedBest now = ReadUnlocked(key, false);
    if (now.heldBack || !Fold(now, race, &outcome)) return outcome;
    CourseRecord& record = outcome.record;
    record.mapChecksum = key.mapChecksum;
    if (record.versionOne) record.ghostChecksum = now.ghost.frames.empty() ? 0 : now.ghost.checksum;
    record.versionOne = false;
    if (outcome.newRecord && !WriteGhost(key, race, &record)) return outcome;
    outcome.saved = records::SaveFile(CourseRecordName(key.course, key.difficulty),
                                      FormatCourseRecord(record, key.course, key.difficulty));
    return outcome;
}
