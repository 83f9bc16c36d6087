// Reading gettext catalogs: the build's Japanese catalog, either byte order, and damaged files that
// must be refused without touching the texts in use.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/text/translation.h"
#include "support/content_files.h"

namespace {

namespace fs = std::filesystem;
using platform::text::Translate;

std::string BuildCatalog() { return content_test::BuildDir() + "/game/locale/ja/LC_MESSAGES/orlenda.mo"; }

// A catalog as msgfmt lays it out: header, the two string tables, then the strings (no hash table).
std::string MakeCatalog(const std::vector<std::pair<std::string, std::string>>& texts, bool bigEndian) {
    std::string out;
    auto word = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) out += char((value >> (bigEndian ? 24 - 8 * i : 8 * i)) & 0xFF);
    };
    const auto count = std::uint32_t(texts.size());
    word(0x950412de), word(0), word(count), word(28), word(28 + 8 * count), word(0), word(0);
    std::uint32_t at = 28 + 16 * count;
    for (bool translated : {false, true}) {
        for (const auto& [english, japanese] : texts) {
            const std::string& text = translated ? japanese : english;
            word(std::uint32_t(text.size())), word(at);
            at += std::uint32_t(text.size()) + 1;
        }
    }
    for (bool translated : {false, true})
        for (const auto& [english, japanese] : texts) out += (translated ? japanese : english) + '\0';
    return out;
}

class Catalogs : public ::testing::Test {
protected:
    void TearDown() override {
        platform::text::UseNoCatalog();
        fs::remove(path);
    }
    bool Use(const std::string& bytes, std::string* error = nullptr) {
        std::ofstream(path, std::ios::binary) << bytes;
        return platform::text::UseCatalog(path.string(), error);
    }
    fs::path path = fs::temp_directory_path() / ("orlenda_catalog_" + std::to_string(::getpid()) + ".mo");
};

TEST_F(Catalogs, TheBuildsJapaneseCatalogGivesTheGamesOwnTexts) {
    EXPECT_STREQ(Translate("Quit the game?"), "Quit the game?") << "no catalog: the text as written";
    std::string error;
    ASSERT_TRUE(platform::text::UseCatalog(BuildCatalog(), &error)) << error;
    EXPECT_STREQ(Translate("Quit the game?"), "ゲームを終了しますか？");
    EXPECT_STREQ(Translate("Play in full screen?"), "フルスクリーンにしますか？");
    const char* unknown = "Not in any catalog";
    EXPECT_EQ(Translate(unknown), unknown);
    EXPECT_STREQ(Translate(""), "") << "the catalog's header is nobody's text";
    platform::text::UseNoCatalog();
    EXPECT_STREQ(Translate("Quit the game?"), "Quit the game?");
}

TEST_F(Catalogs, EitherByteOrderReads) {
    for (bool bigEndian : {false, true}) {
        ASSERT_TRUE(Use(MakeCatalog({{"Yes", "はい"}, {"No", "いいえ"}}, bigEndian))) << bigEndian;
        EXPECT_STREQ(Translate("No"), "いいえ");
    }
}

TEST_F(Catalogs, ADamagedCatalogIsRefusedAndTheTextsInUseStay) {
    const std::string good = MakeCatalog({{"Yes", "はい"}}, false);
    ASSERT_TRUE(Use(good));
    auto changed = [&](std::size_t at, char byte) {
        std::string bytes = good;
        bytes[at] = byte;
        return bytes;
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "too short"},
        {good.substr(0, 27), "too short"},
        {changed(0, 0x00), "not a gettext catalog"},
        {changed(6, 0x02), "revision newer"},
        {changed(8, 0x7F), "tables run past the end"},           // 127 strings in a 55-byte file
        {changed(28, 0x40), "string 0 runs past the end"},       // the English text's length
        {changed(40, 0x7F), "string 0 runs past the end"},       // the Japanese text's offset
        {good.substr(0, good.size() - 1), "string 0 runs past"}, // no NUL after the last text
    };
    for (const auto& [bytes, reason] : cases) {
        std::string error;
        EXPECT_FALSE(Use(bytes, &error)) << reason;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        EXPECT_NE(error.find(path.string()), std::string::npos) << "the message names the file: " << error;
        EXPECT_STREQ(Translate("Yes"), "はい");
    }
    std::string error;
    EXPECT_FALSE(platform::text::UseCatalog(path.string() + ".missing", &error));
    EXPECT_STREQ(Translate("Yes"), "はい");
}

TEST_F(Catalogs, RandomDamageNeverReadsOutsideTheFile) {
    const std::string good = content_test::ReadText(BuildCatalog());
    ASSERT_GT(good.size(), 28u);
    std::mt19937 rng(20261208);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        for (int flips = 1 + int(rng() % 4); flips > 0; --flips) bytes[rng() % bytes.size()] = char(rng());
        if (round % 3 == 0) bytes.resize(rng() % bytes.size());
        // Refused or read; the sanitizer build checks that no byte outside the file is touched.
        const std::string before = Translate("Quit the game?");
        if (!Use(bytes)) { EXPECT_EQ(Translate("Quit the game?"), before) << "round " << round; }
    }
}

} // namespace
