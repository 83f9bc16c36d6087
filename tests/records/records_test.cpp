// Saved data: the record and ghost formats and their strict reads, the pair read back as one unit,
// and every kind of bad file — damaged, cut, from a newer game, of another map or difficulty —
// set aside or left alone, never written over and never costing the player the best ghost.
#include <gtest/gtest.h>

#include <cstring>

#include "records/course_record.h"
#include "save_folder_fixture.h"

using records::FileState;
using records_test::GhostOf;
using records_test::kKey;
using records_test::Lines;
using records_test::SaveFolderTest;
using records_test::SaveRace;
namespace fs = std::filesystem;

namespace {

CourseRecord SampleRecord() {
    CourseRecord record;
    record.AddRace(41168, {2848, 2528, 0, 3088}, 2, "2026-12-08 01:18");
    record.mapChecksum = kKey.mapChecksum;
    record.ghostChecksum = 0xFEDCBA9876543210ull;
    return record;
}

// A version-1 ghost as the game wrote it before ghosts named their difficulty.
std::string VersionOneGhost(const GhostRun& run) {
    std::string bytes = "ORLGHOST";
    auto put = [&bytes](const void* value, std::size_t size) { bytes.append(static_cast<const char*>(value), size); };
    const std::uint32_t version = 1, length = static_cast<std::uint32_t>(run.course.size());
    const auto count = static_cast<std::uint32_t>(run.frames.size());
    put(&version, 4);
    put(&length, 4);
    bytes += run.course;
    put(&run.mapChecksum, 8);
    put(&count, 4);
    for (const GhostFrame& frame : run.frames) put(&frame, sizeof frame);
    const std::uint64_t checksum = records::Checksum(bytes);
    put(&checksum, 8);
    return bytes;
}

} // namespace

TEST(CourseRecordFile, RoundTripAndBestKeeping) {
    CourseRecord record = SampleRecord();
    CourseRecord back;
    std::string error;
    ASSERT_EQ(ParseCourseRecord(FormatCourseRecord(record, "map2", "hard"), "map2", "hard", &back, &error),
              FileState::Ok)
        << error;
    EXPECT_EQ(back.bestMs, 41168u);
    EXPECT_EQ(back.place, 2);
    EXPECT_EQ(back.date, "2026-12-08 01:18");
    EXPECT_EQ(back.bestSplitsMs, (std::vector<std::uint32_t>{2848, 2528, 0, 3088}));
    EXPECT_EQ(back.mapChecksum, kKey.mapChecksum);
    EXPECT_EQ(back.ghostChecksum, 0xFEDCBA9876543210ull);

    // A slower race is no record but still improves the splits it flew faster.
    EXPECT_FALSE(back.AddRace(42000, {2800, 2600, 1000, 3100}, 1, "later"));
    EXPECT_EQ(back.bestMs, 41168u);
    EXPECT_EQ(back.place, 2);
    EXPECT_EQ(back.bestSplitsMs, (std::vector<std::uint32_t>{2800, 2528, 1000, 3088}));
    EXPECT_TRUE(back.AddRace(40000, {}, 4, "best"));
    EXPECT_EQ(back.bestMs, 40000u);
    EXPECT_EQ(back.place, 4);
}

TEST(CourseRecordFile, RejectsWhatIsNotAWholeRecordOfThisCourseAndLevel) {
    const std::string good = FormatCourseRecord(SampleRecord(), "map2", "normal");
    CourseRecord record;
    std::string error;
    EXPECT_EQ(ParseCourseRecord(good, "map2", "easy", &record, &error), FileState::Damaged);
    EXPECT_EQ(ParseCourseRecord(good, "map3", "normal", &record, &error), FileState::Damaged);
    EXPECT_EQ(ParseCourseRecord("", "map2", "normal", &record, &error), FileState::Damaged);
    EXPECT_EQ(ParseCourseRecord("orlenda-record 3\nwhatever comes\n", "map2", "normal", &record, &error),
              FileState::Newer);
    EXPECT_EQ(ParseCourseRecord("orlenda-record 1\nbest 12x\n", "map2", "normal", &record, &error), FileState::Damaged);
    EXPECT_EQ(error, "line 2: best needs milliseconds");
    EXPECT_EQ(ParseCourseRecord("orlenda-record 1\nsplit 0 100\n", "map2", "normal", &record, &error),
              FileState::Damaged);

    // Cut anywhere, even right after a digit of the best time, a record is not a shorter record.
    const std::size_t best = good.find("best 41168") + 7; // "best 41"
    for (std::size_t cut : {best, good.size() - 1, good.find("ghost ")})
        EXPECT_EQ(ParseCourseRecord(good.substr(0, cut), "map2", "normal", &record, &error), FileState::Damaged) << cut;
    std::string changed = good;
    changed[best] = '2';
    EXPECT_EQ(ParseCourseRecord(changed, "map2", "normal", &record, &error), FileState::Damaged);
    EXPECT_FALSE(record.HasBest());

    // Version 1 had no end line: a whole one is still read; one cut inside its last line is not.
    const std::string old = "orlenda-record 1\ncourse map2\ndifficulty normal\nbest 43210\nsplit 1 2500\n";
    ASSERT_EQ(ParseCourseRecord(old, "map2", "normal", &record, &error), FileState::Ok) << error;
    EXPECT_TRUE(record.versionOne);
    EXPECT_EQ(record.bestMs, 43210u);
    EXPECT_EQ(ParseCourseRecord(old.substr(0, old.find("best 43") + 7), "map2", "normal", &record, &error),
              FileState::Damaged);
    EXPECT_EQ(ParseCourseRecord(old.substr(0, old.size() - 3), "map2", "normal", &record, &error), FileState::Damaged);
}

TEST(GhostFile, RoundTripAndEveryDamageIsCaught) {
    const GhostRun run = GhostOf(41168, 50, "hard");
    const std::string bytes = EncodeGhost(run);
    GhostRun back;
    std::string error;
    ASSERT_EQ(DecodeGhost(bytes, &back, &error), FileState::Ok) << error;
    EXPECT_EQ(back.course, "map2");
    EXPECT_EQ(back.difficulty, "hard");
    EXPECT_EQ(back.mapChecksum, run.mapChecksum);
    EXPECT_EQ(back.checksum, EncodedGhostChecksum(bytes));
    ASSERT_EQ(back.frames.size(), 50u);
    EXPECT_EQ(back.frames[49].position[0], run.frames[49].position[0]);
    EXPECT_EQ(back.frames[49].animationTime, 349.0f);

    std::string flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x10;
    EXPECT_EQ(DecodeGhost(flipped, &back, &error), FileState::Damaged);
    EXPECT_EQ(error, "checksum does not match");
    EXPECT_EQ(DecodeGhost(bytes.substr(0, bytes.size() - 40), &back, &error), FileState::Damaged);
    EXPECT_EQ(DecodeGhost("ORLGHOST", &back, &error), FileState::Damaged);
    std::string newer = bytes;
    newer[8] = 3;
    EXPECT_EQ(DecodeGhost(newer, &back, &error), FileState::Newer);

    // Version 1 named no difficulty; it still reads.
    ASSERT_EQ(DecodeGhost(VersionOneGhost(run), &back, &error), FileState::Ok) << error;
    EXPECT_EQ(back.difficulty, "");
    EXPECT_EQ(back.frames.size(), 50u);
}

TEST_F(SaveFolderTest, AHugeGhostIsRefusedFromItsHeaderBeforeItsBodyIsRead) {
    const std::string bytes = EncodeGhost(GhostOf(41168, 50));
    Write(GhostPath(), bytes);
    fs::resize_file(GhostPath(), 100u << 20); // a sparse 100 MB: nothing to read but the header
    GhostRun run;
    std::string error;
    EXPECT_EQ(ReadGhostFile(GhostPath().string(), &run, &error), FileState::Damaged);
    EXPECT_NE(error.find("104857600 bytes"), std::string::npos) << error;

    std::string tooMany = bytes;
    const std::uint32_t count = kMostGhostFrames + 1;
    std::memcpy(tooMany.data() + 8 + 4 + 4 + 4 + 4 + 6 + 8, &count, 4);
    Write(GhostPath(), tooMany);
    EXPECT_EQ(ReadGhostFile(GhostPath().string(), &run, &error), FileState::Damaged);
    EXPECT_NE(error.find("over an hour"), std::string::npos) << error;
}

TEST_F(SaveFolderTest, SavedRaceLoadsBackAsAPairAndNoFolderMeansNothing) {
    EXPECT_FALSE(LoadSavedBest(kKey, true).record.HasBest()); // no file yet
    const GhostRun ghost = GhostOf(41168, 40);
    const SaveOutcome first = SaveRace(41168, ghost);
    EXPECT_TRUE(first.saved);
    EXPECT_TRUE(first.newRecord);
    SavedBest saved = LoadSavedBest(kKey, true);
    EXPECT_EQ(saved.record.bestMs, 41168u);
    ASSERT_EQ(saved.ghost.frames.size(), 40u);
    EXPECT_EQ(saved.record.ghostChecksum, saved.ghost.checksum);
    EXPECT_FALSE(LoadSavedBest({"map2", "hard", kKey.mapChecksum}, true).record.HasBest()); // apart per level

    const GhostRun slower = GhostOf(42000, 41);
    EXPECT_FALSE(SaveRace(42000, slower).newRecord);
    EXPECT_EQ(LoadSavedBest(kKey, true).ghost.frames[0].animationTime, 41168.0f);

    records::SetSaveFolder("");
    EXPECT_FALSE(SaveRace(40000, ghost).saved);
    EXPECT_FALSE(LoadSavedBest(kKey, true).record.HasBest());
}

TEST_F(SaveFolderTest, UnreadableRecordIsSetAsideNeverOverwritten) {
    Write(RecordPath(), "orlenda-record 1\nbest 41\x01\x02 garbage\n");
    const std::string garbage = Read(RecordPath());

    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadSavedBest(kKey, true).record.HasBest());
    const std::string said = testing::internal::GetCapturedStderr();
    const auto aside = Aside("unreadable");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(Read(aside[0]), garbage);
    EXPECT_FALSE(fs::exists(RecordPath()));
    EXPECT_NE(said.find(aside[0].string()), std::string::npos) << said;
    EXPECT_EQ(Lines(said), 1);

    // The next save starts afresh beside it.
    const GhostRun ghost = GhostOf(41168, 40);
    ASSERT_TRUE(SaveRace(41168, ghost).saved);
    EXPECT_EQ(Read(aside[0]), garbage);
    EXPECT_EQ(LoadSavedBest(kKey, true).record.bestMs, 41168u);
}

// The record is lost but its ghost is intact: the ghost's update count is the best known.
TEST_F(SaveFolderTest, ADamagedRecordLeavesTheGhostStandingForTheBest) {
    const GhostRun best = GhostOf(40000, 2500);
    ASSERT_TRUE(SaveRace(40000, best).saved);
    const std::string text = Read(RecordPath());
    Write(RecordPath(), text.substr(0, text.find("best 4") + 6));
    const std::string ghostBytes = Read(GhostPath());

    testing::internal::CaptureStderr();
    const SavedBest saved = LoadSavedBest(kKey, true);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Lines(said), 1) << said;
    EXPECT_NE(said.find("its ghost stands for the best time"), std::string::npos) << said;
    EXPECT_EQ(saved.ghostOnlyUpdates, 2500u);
    EXPECT_EQ(saved.ghost.frames.size(), 2500u); // and it is raced

    const GhostRun slower = GhostOf(41000, 2560);
    const SaveOutcome outcome = SaveRace(41000, slower);
    EXPECT_FALSE(outcome.newRecord);
    EXPECT_EQ(Read(GhostPath()), ghostBytes);

    const GhostRun faster = GhostOf(39000, 2440);
    EXPECT_TRUE(SaveRace(39000, faster).newRecord);
    const SavedBest now = LoadSavedBest(kKey, true);
    EXPECT_EQ(now.record.bestMs, 39000u);
    EXPECT_EQ(now.ghost.frames.size(), 2440u);
}

TEST_F(SaveFolderTest, ANewerGamesFilesAreLeftAloneAndNothingOfTheirCourseIsWritten) {
    const std::string newer = "# from tomorrow\norlenda-record 3\nwhatever it holds\n";
    Write(RecordPath(), newer);
    std::string newerGhost = EncodeGhost(GhostOf(30000, 20, "hard"));
    newerGhost[8] = 7;
    Write(folder / "map2-hard.ghost", newerGhost);

    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadSavedBest(kKey, true).heldBack);
    EXPECT_TRUE(LoadSavedBest(kKey, true).heldBack);
    const GhostRun ghost = GhostOf(20000, 10);
    EXPECT_FALSE(SaveRace(20000, ghost).saved);
    const records::CourseKey hard{"map2", "hard", kKey.mapChecksum};
    const FinishedRace race{20000, {}, 1, "", 10, &ghost};
    const SaveOutcome outcome = SaveFinishedRace(hard, race, LoadSavedBest(hard, true));
    const std::string said = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(outcome.saved);
    EXPECT_FALSE(outcome.newRecord);
    EXPECT_EQ(Lines(said), 2) << said; // once for each, however often they are met
    EXPECT_NE(said.find("record version 3"), std::string::npos) << said;
    EXPECT_NE(said.find("ghost version 7"), std::string::npos) << said;
    EXPECT_EQ(Read(RecordPath()), newer);
    EXPECT_EQ(Read(folder / "map2-hard.ghost"), newerGhost);
    EXPECT_FALSE(fs::exists(GhostPath()));
    EXPECT_FALSE(fs::exists(folder / "map2-hard.record"));
}

TEST_F(SaveFolderTest, ARecordOfAnotherMapIsSetAsideWithOneLine) {
    const GhostRun ghost = GhostOf(41168, 40);
    ASSERT_TRUE(SaveRace(41168, ghost).saved);
    const std::string text = Read(RecordPath());
    const records::CourseKey changed{kKey.course, kKey.difficulty, 42};
    testing::internal::CaptureStderr();
    const SavedBest saved = LoadSavedBest(changed, false);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(saved.record.HasBest());
    EXPECT_TRUE(saved.ghost.frames.empty());
    EXPECT_EQ(Lines(said), 1) << said;
    ASSERT_EQ(Aside("other-map").size(), 1u);
    EXPECT_EQ(Read(Aside("other-map")[0]), text);
}

TEST_F(SaveFolderTest, AGhostOfAnotherCourseMapOrDifficultyIsNotRacedWithOneLine) {
    const GhostRun hard = GhostOf(41168, 40, "hard");
    Write(GhostPath(), EncodeGhost(hard)); // a hard ghost filed as normal
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadSavedBest(kKey, true).ghost.frames.empty());
    EXPECT_TRUE(LoadSavedBest({"map2", "normal", 42}, true).ghost.frames.empty()); // the map has changed
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Lines(said), 2) << said;
    EXPECT_NE(said.find("another difficulty"), std::string::npos) << said;
    EXPECT_NE(said.find("another version of the map"), std::string::npos) << said;
    EXPECT_TRUE(fs::exists(GhostPath())); // intact, only not for this race

    // Filed under map2 but flown on map7: a mislabelled file is not raced either.
    fs::rename(GhostPath(), folder / "map7-hard.ghost");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadSavedBest({"map7", "hard", kKey.mapChecksum}, true).ghost.frames.empty());
    said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("another course"), std::string::npos) << said;

    // A damaged one is set aside, so a later best race cannot overwrite what could not be read.
    std::string bytes = Read(folder / "map7-hard.ghost");
    bytes[20] ^= 1;
    Write(folder / "map7-hard.ghost", bytes);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(LoadSavedBest({"map7", "hard", kKey.mapChecksum}, true).ghost.frames.empty());
    said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Aside("unreadable").size(), 1u) << said;
}

TEST_F(SaveFolderTest, VersionOneFilesAreRacedAndWrittenBackAsAPair) {
    const GhostRun ghost = GhostOf(43210, 30);
    Write(RecordPath(), "orlenda-record 1\ncourse map2\ndifficulty normal\nbest 43210\nplace 3\n");
    Write(GhostPath(), VersionOneGhost(ghost));
    SavedBest saved = LoadSavedBest(kKey, true);
    EXPECT_EQ(saved.record.bestMs, 43210u);
    ASSERT_EQ(saved.ghost.frames.size(), 30u);

    const GhostRun slower = GhostOf(44000, 31);
    EXPECT_TRUE(SaveRace(44000, slower).saved);
    saved = LoadSavedBest(kKey, true);
    EXPECT_FALSE(saved.record.versionOne);
    EXPECT_EQ(saved.record.bestMs, 43210u);
    EXPECT_EQ(saved.ghost.frames.size(), 30u); // the old ghost, now named by the record
    EXPECT_EQ(saved.record.ghostChecksum, saved.ghost.checksum);
}

TEST_F(SaveFolderTest, UnwritableFolderSaysSoOnceAndTheGameGoesOn) {
    // A plain file where the folder should be: no one, root included, can save below it.
    Write(folder / "blocker", "x");
    records::SetSaveFolder((folder / "blocker" / "orlenda").string());
    const GhostRun ghost = GhostOf(41168, 40);
    testing::internal::CaptureStderr();
    const SaveOutcome outcome = SaveRace(41168, ghost);
    EXPECT_FALSE(SaveRace(41000, ghost).saved);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(outcome.saved);
    EXPECT_TRUE(outcome.newRecord); // the result screen still tells the truth
    EXPECT_EQ(Lines(said), 1) << said;
    EXPECT_NE(said.find("records:"), std::string::npos);
    EXPECT_FALSE(LoadSavedBest(kKey, true).record.HasBest());
}
