// INI reading: line numbers survive comments, sections, indented, long and bad lines; unreadable
// paths say why; editing a value changes that one line.
#include "platform/ini/ini_file.h"

#include <gtest/gtest.h>

namespace {

TEST(IniFile, EntriesKeepSectionsLinesAndDropInlineComments) {
    platform::ini::File file = platform::ini::Parse("; settings\n[video]\nfullscreen = ask        ; ask | yes | no\n\n"
                                                    "this line is wrong\n[keys]\nthrottle = SPACE, W\nthrottle = X\n");
    ASSERT_EQ(file.entries.size(), 3u);
    EXPECT_EQ(file.entries[0].section, "video");
    EXPECT_EQ(file.entries[0].value, "ask");
    EXPECT_EQ(file.entries[0].line, 3);
    EXPECT_EQ(file.entries[1].value, "SPACE, W");
    EXPECT_EQ(file.entries[1].line, 7);
    EXPECT_EQ(file.firstBadLine, 5);
    ASSERT_NE(file.Find("keys", "throttle"), nullptr);
    EXPECT_EQ(file.Find("keys", "throttle")->line, 8); // the last one wins
    EXPECT_EQ(file.Find("video", "throttle"), nullptr);
}

TEST(IniFile, MissingFilesAndFoldersAreErrorsWithTheReason) {
    platform::ini::File file;
    std::string error;
    EXPECT_FALSE(platform::ini::Load("/nonexistent/settings.ini", &file, &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_FALSE(platform::ini::Load("/tmp", &file, &error));
    EXPECT_NE(error.find("directory"), std::string::npos) << error;
}

TEST(IniFile, IndentedLinesStandAloneAndLinesOverTheLimitAreSkippedWithTheirNumber) {
    const std::string longValue(1000, 'v');
    const std::string text = "[audio]\nmusic = 40\n\teffects = 30\n  [race]\n; " + std::string(3000, 'c') +
                             "\nname = " + longValue + "\nhuge = " + std::string(10'000'000, 'x') +
                             "\nghost = off\n[keys\n";
    platform::ini::File file = platform::ini::Parse(text);
    ASSERT_EQ(file.entries.size(), 4u);
    EXPECT_EQ(file.entries[0].value, "40") << "a tab-indented line does not continue the one before";
    EXPECT_EQ(file.entries[1].key, "effects");
    EXPECT_EQ(file.entries[1].line, 3);
    EXPECT_EQ(file.entries[2].section, "race");
    EXPECT_EQ(file.entries[2].value, longValue) << "a 1000-byte line is one line";
    EXPECT_EQ(file.entries[3].key, "ghost");
    EXPECT_EQ(file.entries[3].line, 8);
    EXPECT_EQ(file.longLines, std::vector<int>{7});
    EXPECT_EQ(file.badLines, std::vector<int>{9});
}

TEST(IniFile, SetValueChangesTheLineInForceAndKeepsEveryOtherByte) {
    const std::string text = "; mine\r\nversion = 1\r\n[Audio]\r\nmusic = 10\r\nmusic=40   ; quiet\r\n\r\n"
                             "# note\r\nunknown = 3\r\n\r\n[keys]\r\nthrottle = W\r\n";
    EXPECT_EQ(platform::ini::SetValue(text, "audio", "music", "90"),
              "; mine\r\nversion = 1\r\n[Audio]\r\nmusic = 10\r\nmusic=90   ; quiet\r\n\r\n"
              "# note\r\nunknown = 3\r\n\r\n[keys]\r\nthrottle = W\r\n");
    EXPECT_EQ(platform::ini::SetValue(text, "audio", "effects", "20"),
              "; mine\r\nversion = 1\r\n[Audio]\r\nmusic = 10\r\nmusic=40   ; quiet\r\n\r\n"
              "# note\r\nunknown = 3\r\neffects = 20\r\n\r\n[keys]\r\nthrottle = W\r\n");
    EXPECT_EQ(platform::ini::SetValue("[keys]\nthrottle = W", "race", "ghost", "off"),
              "[keys]\nthrottle = W\n\n[race]\nghost = off\n");
    EXPECT_EQ(platform::ini::SetValue("", "race", "ghost", "off"), "[race]\nghost = off\n");
}

} // namespace
