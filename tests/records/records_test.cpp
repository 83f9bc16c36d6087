// Saved data: the record file's round trip and strict parse, bad files set aside and never written
// over, a folder that refuses writes, saves killed mid-way, and the ghost file's checks.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/fs/atomic_file.h"
#include "records/course_record.h"
#include "records/ghost_file.h"
#include "records/save_folder.h"

namespace fs = std::filesystem;

namespace {

class SaveFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("orlenda_records_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        records::SetSaveFolder(folder.string());
    }
    void TearDown() override {
        records::SetSaveFolder("");
        fs::remove_all(folder);
    }
    static std::string Read(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    std::vector<fs::path> SetAsideFiles() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().find(".unreadable-") != std::string::npos)
                found.push_back(entry.path());
        return found;
    }

    fs::path folder;
};

CourseRecord SampleRecord() {
    CourseRecord record;
    record.AddRace(41168, {2848, 2528, 0, 3088}, 2, "2026-12-08 01:18");
    return record;
}

GhostRun SampleGhost() {
    GhostRun run;
    run.course = "map2";
    run.mapChecksum = 0x1234567890ABCDEFull;
    for (int i = 0; i < 50; ++i) {
        GhostFrame frame;
        frame.position[0] = 750.0f - static_cast<float>(i) * 0.37f;
        frame.rotation[1] = 0.25f;
        frame.animationTime = static_cast<float>(i + 300);
        run.frames.push_back(frame);
    }
    return run;
}

} // namespace

TEST(CourseRecordFile, RoundTripAndBestKeeping) {
    CourseRecord record = SampleRecord();
    CourseRecord back;
    std::string error;
    ASSERT_TRUE(ParseCourseRecord(FormatCourseRecord(record, "map2", "hard"), "map2", "hard", &back, &error)) << error;
    EXPECT_EQ(back.bestMs, 41168u);
    EXPECT_EQ(back.place, 2);
    EXPECT_EQ(back.date, "2026-12-08 01:18");
    EXPECT_EQ(back.bestSplitsMs, (std::vector<std::uint32_t>{2848, 2528, 0, 3088}));

    // A slower race is no record but still improves the splits it flew faster.
    EXPECT_FALSE(back.AddRace(42000, {2800, 2600, 1000, 3100}, 1, "later"));
    EXPECT_EQ(back.bestMs, 41168u);
    EXPECT_EQ(back.place, 2);
    EXPECT_EQ(back.bestSplitsMs, (std::vector<std::uint32_t>{2800, 2528, 1000, 3088}));
    EXPECT_TRUE(back.AddRace(40000, {}, 4, "best"));
    EXPECT_EQ(back.bestMs, 40000u);
    EXPECT_EQ(back.place, 4);
}

TEST(CourseRecordFile, RejectsWhatIsNotARecordOfThisCourseAndLevel) {
    const std::string good = FormatCourseRecord(SampleRecord(), "map2", "normal");
    CourseRecord record;
    std::string error;
    EXPECT_FALSE(ParseCourseRecord(good, "map2", "easy", &record, &error));
    EXPECT_FALSE(ParseCourseRecord(good, "map3", "normal", &record, &error));
    EXPECT_FALSE(ParseCourseRecord("", "map2", "normal", &record, &error));
    EXPECT_FALSE(ParseCourseRecord("orlenda-record 2\n", "map2", "normal", &record, &error));
    EXPECT_FALSE(ParseCourseRecord("orlenda-record 1\nbest 12x\n", "map2", "normal", &record, &error));
    EXPECT_EQ(error, "line 2: best needs milliseconds");
    EXPECT_FALSE(ParseCourseRecord("orlenda-record 1\nsplit 0 100\n", "map2", "normal", &record, &error));
    EXPECT_FALSE(record.HasBest());
}

TEST_F(SaveFolderTest, SavedRecordLoadsBackAndNoFolderMeansNothing) {
    EXPECT_FALSE(LoadCourseRecord("map2", "normal").HasBest()); // no file yet
    ASSERT_TRUE(SaveCourseRecord(SampleRecord(), "map2", "normal"));
    EXPECT_EQ(LoadCourseRecord("map2", "normal").bestMs, 41168u);
    EXPECT_FALSE(LoadCourseRecord("map2", "hard").HasBest());                           // kept apart per level
    EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "map2-normal.record"); // no temp file left

    records::SetSaveFolder("");
    EXPECT_FALSE(SaveCourseRecord(SampleRecord(), "map2", "easy"));
    EXPECT_FALSE(LoadCourseRecord("map2", "normal").HasBest());
}

TEST_F(SaveFolderTest, UnreadableRecordIsSetAsideNeverOverwritten) {
    fs::create_directories(folder);
    const fs::path path = folder / "map2-normal.record";
    std::ofstream(path) << "orlenda-record 1\nbest 41\x01\x02 garbage\n";
    const std::string garbage = Read(path);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadCourseRecord("map2", "normal").HasBest());
    const std::string said = testing::internal::GetCapturedStderr();
    const auto aside = SetAsideFiles();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(Read(aside[0]), garbage);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_NE(said.find(aside[0].string()), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);

    // The next save starts afresh beside it.
    ASSERT_TRUE(SaveCourseRecord(SampleRecord(), "map2", "normal"));
    EXPECT_EQ(Read(aside[0]), garbage);
    EXPECT_EQ(LoadCourseRecord("map2", "normal").bestMs, 41168u);
}

TEST_F(SaveFolderTest, UnwritableFolderSaysSoOnceAndTheGameGoesOn) {
    // A plain file where the folder should be: no one, root included, can save below it.
    fs::create_directories(folder);
    std::ofstream(folder / "blocker") << "x";
    records::SetSaveFolder((folder / "blocker" / "orlenda").string());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveCourseRecord(SampleRecord(), "map2", "normal"));
    EXPECT_FALSE(SaveGhost(SampleGhost(), "normal"));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("records:"), std::string::npos);
    EXPECT_FALSE(LoadCourseRecord("map2", "normal").HasBest());
}

// A child saves ever-better records as fast as it can and is killed at random moments: the file
// must always hold one whole record the child wrote, never a broken or empty one.
TEST_F(SaveFolderTest, KilledDuringSavesLeavesOldOrNewNeverBroken) {
    ASSERT_TRUE(SaveCourseRecord(SampleRecord(), "map2", "normal"));
    std::mt19937 random(16);
    std::uint32_t lastSeen = 41168;
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            CourseRecord record = SampleRecord();
            record.bestSplitsMs.resize(200, 1234); // a longer file: more to tear if it could tear
            for (std::uint32_t best = lastSeen - 1;; --best) {
                record.bestMs = best;
                SaveCourseRecord(record, "map2", "normal");
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        std::string text, error;
        ASSERT_TRUE(platform::fs::ReadWholeFile((folder / "map2-normal.record").string(), &text, &error)) << error;
        CourseRecord record;
        ASSERT_TRUE(ParseCourseRecord(text, "map2", "normal", &record, &error)) << "round " << round << ": " << error;
        EXPECT_LE(record.bestMs, lastSeen);
        lastSeen = record.bestMs;
    }
    EXPECT_TRUE(SetAsideFiles().empty());
    ASSERT_TRUE(SaveCourseRecord(SampleRecord(), "map2", "normal")); // and clears what the kills left
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(GhostFile, RoundTripAndEveryDamageIsCaught) {
    const GhostRun run = SampleGhost();
    const std::string bytes = EncodeGhost(run);
    GhostRun back;
    std::string error;
    ASSERT_TRUE(DecodeGhost(bytes, &back, &error)) << error;
    EXPECT_EQ(back.course, "map2");
    EXPECT_EQ(back.mapChecksum, run.mapChecksum);
    ASSERT_EQ(back.frames.size(), 50u);
    EXPECT_EQ(back.frames[49].position[0], run.frames[49].position[0]);
    EXPECT_EQ(back.frames[49].animationTime, 349.0f);

    std::string flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x10;
    EXPECT_FALSE(DecodeGhost(flipped, &back, &error));
    EXPECT_EQ(error, "checksum does not match");
    EXPECT_FALSE(DecodeGhost(bytes.substr(0, bytes.size() - 40), &back, &error));
    EXPECT_FALSE(DecodeGhost("ORLGHOST", &back, &error));
}

TEST_F(SaveFolderTest, GhostOfAnotherCourseOrMapIsIgnoredWithOneLine) {
    ASSERT_TRUE(SaveGhost(SampleGhost(), "normal"));
    GhostRun run;
    EXPECT_TRUE(LoadGhost("map2", "normal", SampleGhost().mapChecksum, &run));

    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadGhost("map2", "normal", 42, &run)); // the map file has changed since
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("ghost:"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "map2-normal.ghost")); // intact, only not for this map

    // Filed under map2 but flown on map7: a mislabelled file is not raced either.
    fs::rename(folder / "map2-normal.ghost", folder / "map7-normal.ghost");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadGhost("map7", "normal", SampleGhost().mapChecksum, &run));
    said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("another course"), std::string::npos) << said;

    // A damaged one is set aside, so a later best race cannot overwrite what could not be read.
    std::string bytes = Read(folder / "map7-normal.ghost");
    bytes[20] ^= 1;
    std::ofstream(folder / "map7-normal.ghost", std::ios::binary) << bytes;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadGhost("map7", "normal", SampleGhost().mapChecksum, &run));
    said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(SetAsideFiles().size(), 1u) << said;
}
