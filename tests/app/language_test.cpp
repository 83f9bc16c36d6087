// Which language the player gets: the choice, else the environment as gettext programs read it, and
// where the catalog is looked for.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/language.h"
#include "platform/text/translation.h"
#include "support/content_files.h"

namespace {

Language Auto(const std::map<std::string, std::string>& variables) {
    return ResolveLanguage(Language::Auto, [&](const char* name) -> const char* {
        auto found = variables.find(name);
        return found == variables.end() ? nullptr : found->second.c_str();
    });
}

TEST(Language, AutoFollowsTheFirstLocaleVariableSetAndOnlyJapaneseIsJapanese) {
    EXPECT_EQ(Auto({}), Language::English);
    EXPECT_EQ(Auto({{"LANG", "C"}}), Language::English);
    EXPECT_EQ(Auto({{"LANG", "de_DE.UTF-8"}}), Language::English);
    EXPECT_EQ(Auto({{"LANG", "ja_JP.UTF-8"}}), Language::Japanese);
    EXPECT_EQ(Auto({{"LANG", "ja"}}), Language::Japanese);
    EXPECT_EQ(Auto({{"LC_MESSAGES", "ja_JP.eucJP"}, {"LANG", "C"}}), Language::Japanese);
    EXPECT_EQ(Auto({{"LC_ALL", "en_GB.UTF-8"}, {"LANG", "ja_JP.UTF-8"}}), Language::English);
    EXPECT_EQ(Auto({{"LANGUAGE", "ja:en"}, {"LC_ALL", "C"}}), Language::Japanese);
    EXPECT_EQ(Auto({{"LANGUAGE", ""}, {"LANG", "ja_JP.UTF-8"}}), Language::Japanese) << "empty counts as unset";
    EXPECT_EQ(Auto({{"LANGUAGE", "en:ja"}, {"LANG", "ja_JP.UTF-8"}}), Language::English);
    EXPECT_EQ(Auto({{"LANG", "jv_ID.UTF-8"}}), Language::English) << "Javanese";
    EXPECT_EQ(Auto({{"LANGUAGE", "jam"}}), Language::English) << "Jamaican Creole";

    auto japanese = [](const char*) { return "ja_JP.UTF-8"; };
    EXPECT_EQ(ResolveLanguage(Language::English, japanese), Language::English) << "a choice wins";
    EXPECT_EQ(ResolveLanguage(Language::Japanese, [](const char*) { return "C"; }), Language::Japanese);
}

TEST(Language, TheCatalogIsBesideTheContentOrInTheInstalledShareLocale) {
    EXPECT_EQ(CatalogPaths("/home/p/orlenda/build/game"),
              (std::vector<std::string>{"/home/p/orlenda/build/game/locale/ja/LC_MESSAGES/orlenda.mo",
                                        "/home/p/orlenda/build/locale/ja/LC_MESSAGES/orlenda.mo"}));
    EXPECT_EQ(CatalogPaths("/usr/share/orlenda")[1], "/usr/share/locale/ja/LC_MESSAGES/orlenda.mo");
}

TEST(Language, StartingReadsTheCatalogBesideTheContentAndWithoutOneIsEnglish) {
    const std::string game = content_test::BuildDir() + "/game";
    StartLanguage(Language::Japanese, game);
    EXPECT_STREQ(platform::text::Translate("Quit the game?"), "ゲームを終了しますか？");
    StartLanguage(Language::Japanese, "/nonexistent/orlenda");
    EXPECT_STREQ(platform::text::Translate("Quit the game?"), "Quit the game?");
    StartLanguage(Language::Japanese, game);
    StartLanguage(Language::English, game);
    EXPECT_STREQ(platform::text::Translate("Quit the game?"), "Quit the game?");
}

} // namespace
