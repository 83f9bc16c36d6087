// The folder listing must keep the find-first/find-next contract the effect and sound scans rely on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/fs/directory.h"

namespace {

namespace stdfs = std::filesystem;

class DirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = stdfs::temp_directory_path() /
               ("orlenda_dir_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        stdfs::remove_all(root);
        stdfs::create_directories(root);
    }
    void TearDown() override { stdfs::remove_all(root); }
    void Touch(const std::string& name) { std::ofstream(root / name) << "x"; }
    std::string Pattern(const std::string& tail = "*") const { return (root / tail).string(); }

    std::vector<platform::fs::FindData> ListAll(const std::string& pattern, platform::fs::FindStatus* end) {
        platform::fs::DirectoryListing listing;
        std::vector<platform::fs::FindData> all;
        platform::fs::FindData entry;
        if (listing.FindFirst(pattern, &entry)) {
            do all.push_back(entry);
            while (listing.FindNext(&entry));
        }
        *end = listing.Status();
        return all;
    }

    stdfs::path root;
};

TEST_F(DirectoryTest, ListsOwnEntryThenFilesInNameOrderWithDirectoriesFlagged) {
    Touch("b.wav");
    Touch("a.wav");
    Touch("C.wav");
    stdfs::create_directory(root / "sub");
    platform::fs::FindStatus end;
    auto all = ListAll(Pattern(), &end);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0].fileName, ".");
    EXPECT_TRUE(all[0].directory);
    EXPECT_EQ(all[1].fileName, "..");
    EXPECT_EQ(all[2].fileName, "C.wav"); // byte order: capitals first
    EXPECT_EQ(all[3].fileName, "a.wav");
    EXPECT_EQ(all[4].fileName, "b.wav");
    EXPECT_FALSE(all[4].directory);
    EXPECT_EQ(all[5].fileName, "sub");
    EXPECT_TRUE(all[5].directory);
    EXPECT_EQ(end, platform::fs::FindStatus::NoMoreFiles);
}

TEST_F(DirectoryTest, ExtensionPatternFiltersFilesButEndsNormally) {
    Touch("go.wav");
    Touch("notes.txt");
    platform::fs::FindStatus end;
    auto all = ListAll(Pattern("*.wav"), &end);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].fileName, "go.wav");
    EXPECT_EQ(end, platform::fs::FindStatus::NoMoreFiles);
}

TEST_F(DirectoryTest, EmptyFolderStillHasItsOwnEntries) {
    platform::fs::FindStatus end;
    auto all = ListAll(Pattern(), &end);
    EXPECT_EQ(all.size(), 2u);
    EXPECT_EQ(end, platform::fs::FindStatus::NoMoreFiles);
}

TEST_F(DirectoryTest, MissingFolderAndPlainFileFailAtTheFirstCallWithAnError) {
    Touch("file.wav");
    for (const std::string& pattern : {Pattern("missing/*"), Pattern("file.wav/*")}) {
        platform::fs::DirectoryListing listing;
        platform::fs::FindData entry;
        EXPECT_FALSE(listing.FindFirst(pattern, &entry)) << pattern;
        EXPECT_EQ(listing.Status(), platform::fs::FindStatus::Error) << pattern;
        EXPECT_FALSE(listing.FindNext(&entry)) << "a failed listing stays failed";
        EXPECT_EQ(listing.Status(), platform::fs::FindStatus::Error);
    }
}

TEST_F(DirectoryTest, NextWithoutFirstIsAnErrorNotACrash) {
    platform::fs::DirectoryListing listing;
    platform::fs::FindData entry;
    EXPECT_FALSE(listing.FindNext(&entry));
    EXPECT_EQ(listing.Status(), platform::fs::FindStatus::Error);
}

TEST(PathParts, StemAndFolder) {
    EXPECT_EQ(platform::fs::FileStem("data/Sound/BGM.wav"), "BGM");
    EXPECT_EQ(platform::fs::FileStem("data\\Effect\\spark.png"), "spark");
    EXPECT_EQ(platform::fs::FileStem("noext"), "noext");
    EXPECT_EQ(platform::fs::DirectoryPart("data/XFile/aaa/perlita.x"), "data/XFile/aaa/");
    EXPECT_EQ(platform::fs::DirectoryPart("perlita.x"), "");
}

TEST(PathParts, ExecutableFolderIsAnExistingDirectory) {
    std::string folder = platform::fs::ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(platform::fs::IsDirectory(folder));
    EXPECT_FALSE(platform::fs::ChangeDirectory(""));
}

} // namespace
