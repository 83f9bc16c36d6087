// The course file: good entries kept in order, bad ones left out one by one, choosing a course.
#include <gtest/gtest.h>

#include "support/game_test_support.h"
#include "map/course_list.h"

namespace {

class CourseFile : public ::testing::Test {
protected:
    // (no reset here: `list` below already refers to the instance; TearDown leaves a fresh one)
    void SetUp() override {
        folder.WriteBytes("data/Map/a.map", {1});
        folder.WriteBytes("data/Map/b.map", {1});
        folder.WriteBytes("data/XFile/SkySphere/Sky.x", {1});
    }
    void TearDown() override { CourseList::ResetInstance(); }

    static std::string Entry(const std::string& section, const std::string& map, const std::string& name,
                             const std::string& extra = "") {
        return "[" + section + "]\nmap = " + map + "\nname = " + name + "\nstart = 1 2 3\nheading = 90\nsky = Sky.x\n" +
               extra;
    }

    ScratchFolder folder{"course_list"};
    CourseList& list = CourseList::Instance();
};

TEST_F(CourseFile, GoodEntriesKeepTheirOrderIdsAndValues) {
    ASSERT_TRUE(list.LoadText(Entry("first", "b.map", "Bee", "fog = 0.5 0.25 0 1\nmusic = tune\n") +
                                  Entry("second", "a.map", "Ay", "light = 0 -1 0\nambient = 0.2 0.3 0.4\n"),
                              "courses.ini"));
    ASSERT_EQ(list.courses.size(), 2u);
    const CourseEntry& first = list.courses[0];
    EXPECT_EQ(first.id, "b");
    EXPECT_EQ(first.name, "Bee");
    EXPECT_EQ(first.mapPath, "data/Map/b.map");
    EXPECT_EQ(first.start, (D3DXVECTOR3{1, 2, 3}));
    EXPECT_EQ(first.heading, 90.0f);
    EXPECT_EQ(first.fog, (D3DXVECTOR4{0.5f, 0.25f, 0, 1}));
    EXPECT_EQ(first.music, "tune");
    EXPECT_EQ(first.lightDiffuse, CourseList::BuiltIn().lightDiffuse) << "unset colours keep the shipped light";
    EXPECT_EQ(list.courses[1].lightAmbient, (D3DXVECTOR3{0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(list.courses[1].music, "BGM");
}

TEST_F(CourseFile, BadEntriesAreLeftOutEachWithOneLineAndTheRestStay) {
    testing::internal::CaptureStderr();
    const bool ok = list.LoadText(Entry("missing", "gone.map", "Gone") + Entry("nan", "a.map", "N", "heading = nan\n") +
                                      Entry("noname", "a.map", "") + Entry("path", "../a.map", "P") +
                                      Entry("good", "a.map", "Good") + Entry("twice", "a.map", "Again") +
                                      "[short]\nmap = b.map\nname = S\n",
                                  "courses.ini");
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ok);
    ASSERT_EQ(list.courses.size(), 1u);
    EXPECT_EQ(list.courses[0].name, "Good");
    for (const char* section : {"[missing]", "[nan]", "[noname]", "[path]", "[twice]", "[short]"})
        EXPECT_NE(err.find(section), std::string::npos) << section << " not reported:\n" << err;
    EXPECT_NE(err.find("courses.ini:13:"), std::string::npos) << "the bad heading's own line:\n" << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 6);
}

TEST_F(CourseFile, ASectionOpenedAgainIsLeftOutWithOneLine) {
    testing::internal::CaptureStderr();
    ASSERT_TRUE(list.LoadText(Entry("a", "a.map", "Ay") + Entry("b", "b.map", "Bee") +
                                  "[a]\nname = Changed\nfog = 1 1 1 1\n[b]\n[a]\nmusic = tune\n",
                              "courses.ini"));
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(list.courses.size(), 2u);
    EXPECT_EQ(list.courses[0].name, "Ay");
    EXPECT_EQ(list.courses[0].fog, CourseList::BuiltIn().fog);
    EXPECT_EQ(list.courses[0].music, "BGM");
    EXPECT_NE(err.find("courses.ini:13: course [a] left out"), std::string::npos) << err;
    EXPECT_NE(err.find("courses.ini:16: course [b] left out"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 3) << err;
}

// 70 three-byte characters make a line longer than the reader's 199-byte buffer.
TEST_F(CourseFile, LongNamesAreCutToWholeCharactersAndNamedByTheirLine) {
    std::string name, cut;
    for (int i = 0; i < 70; ++i) name += "\xE3\x81\x82"; // あ
    for (int i = 0; i < 32; ++i) cut += "\xE3\x81\x82";
    testing::internal::CaptureStderr();
    ASSERT_TRUE(list.LoadText(Entry("a", "a.map", "Ay") + Entry("long", "b.map", name), "courses.ini"));
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(list.courses.size(), 2u);
    EXPECT_EQ(list.courses[1].name, cut);
    EXPECT_NE(err.find("courses.ini:9: course [long]: name longer than 32 characters"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(CourseFile, NothingUsableFailsButAMissingFileKeepsTheBuiltInCourse) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(list.LoadText(Entry("x", "gone.map", "X"), "courses.ini"));
    EXPECT_TRUE(list.Load("data/Map/no_such.ini"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no usable course"), std::string::npos) << err;
    EXPECT_TRUE(list.courses.empty());
    EXPECT_EQ(list.Selected().mapPath, "data/Map/map2.map");
    EXPECT_EQ(list.Selected().start, (D3DXVECTOR3{750, 50, -1020}));
    EXPECT_EQ(list.Selected().heading, 270.0f);
}

TEST_F(CourseFile, ChoosingByIdOrNameAndSteppingRoundTheList) {
    ASSERT_TRUE(list.LoadText(Entry("1", "a.map", "Lake Loop") + Entry("2", "b.map", "Hill Climb"), "c.ini"));
    EXPECT_TRUE(list.Select("hill climb"));
    EXPECT_EQ(list.Selected().id, "b");
    EXPECT_TRUE(list.Select("A"));
    EXPECT_EQ(list.selected, 0u);
    EXPECT_FALSE(list.Select("nowhere"));
    EXPECT_EQ(list.selected, 0u) << "a failed choice keeps the course";
    list.Step(-1);
    EXPECT_EQ(list.selected, 1u);
    list.Step(+1);
    EXPECT_EQ(list.selected, 0u);
}

} // namespace
