// The championship's file: points and standings, a whole round trip, and files that cannot be used
// (cut, changed, a newer game's) are never written over.
#include <gtest/gtest.h>

#include "records/championship_save.h"
#include "save_folder_fixture.h"

namespace {

using records_test::SaveFolderTest;

TEST(ChampionshipPoints, PlacesScoreTenSixFourThreeTwoAndTheStandingsMove) {
    Championship championship = NewChampionship({"map2", "mountain"}, Difficulty::Hard);
    championship.AddRace({2, 1, 3, 4, 5});
    EXPECT_EQ(championship.points, (std::array<std::int32_t, 5>{6, 10, 4, 3, 2}));
    EXPECT_EQ(championship.Ranks(), (std::array<std::int32_t, 5>{2, 1, 3, 4, 5}));
    championship.AddRace({1, 4, 2, 3, 5});
    EXPECT_EQ(championship.points, (std::array<std::int32_t, 5>{16, 13, 10, 7, 4}));
    EXPECT_EQ(championship.rankBefore, (std::array<std::int32_t, 5>{2, 1, 3, 4, 5}));
    EXPECT_EQ(championship.Ranks(), (std::array<std::int32_t, 5>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(championship.Finished());
    EXPECT_EQ(championship.NextCourse(), "");
}

class ChampionshipFile : public SaveFolderTest {};

TEST_F(ChampionshipFile, SavedAndReadBackWholeWhileAFileItCannotReadIsSetAsideOrLeftAlone) {
    Championship championship = NewChampionship({"map2", "mountain", "long"}, Difficulty::Easy);
    championship.AddRace({3, 1, 2, 5, 4});
    ASSERT_TRUE(SaveChampionship(championship));
    Championship read;
    ASSERT_TRUE(LoadChampionship(&read));
    EXPECT_EQ(read, championship);

    // One changed digit: the end line no longer matches; the file goes aside and is not read.
    const auto path = folder / kChampionshipFile;
    std::string text = Read(path);
    text[text.find("raced 1")] = 'R';
    Write(path, text);
    EXPECT_FALSE(LoadChampionship(&read));
    EXPECT_FALSE(records_test::fs::exists(path));
    EXPECT_EQ(Aside("unreadable").size(), 1u);

    // A newer game's file stays exactly as it is, even when this game has a championship to save.
    const std::string newer = "orlenda-championship 9\nwhatever comes next\n";
    Write(path, newer);
    EXPECT_FALSE(LoadChampionship(&read));
    EXPECT_FALSE(SaveChampionship(championship));
    EXPECT_EQ(Read(path), newer);
}

} // namespace
