// INI reading: line numbers survive comments, sections and bad lines; unreadable paths say why.
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

} // namespace
