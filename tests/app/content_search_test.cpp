// Where the game looks for data/ and Shader/, and the message when they are nowhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "app/content_search.h"

namespace {

std::vector<std::string> Folders(const std::vector<ContentPlace>& places) {
    std::vector<std::string> folders;
    for (const ContentPlace& place : places) folders.push_back(place.folder);
    return folders;
}

TEST(ContentSearch, LooksInTheEnvironmentTheWorkingFolderBesideAndAboveTheExecutable) {
    EXPECT_EQ(Folders(ContentPlaces("/games/orl/", "/home/p", "/usr/local/bin/")),
              (std::vector<std::string>{"/games/orl", "/home/p", "/usr/local/bin", "/usr/local/share/orlenda"}));
    EXPECT_EQ(Folders(ContentPlaces("", "/home/p", "/opt/o/bin")),
              (std::vector<std::string>{"/home/p", "/opt/o/bin", "/opt/o/share/orlenda"}));
    auto same = ContentPlaces(nullptr, "/b/game", "/b/game/");
    ASSERT_EQ(same.size(), 2u) << "the working folder beside the executable is looked at once";
    EXPECT_EQ(same[0].why, "the working directory, beside the executable");
}

TEST(ContentSearch, TheFirstPlaceWithDataWinsAndAFailedSearchNamesEveryPlace) {
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("orlenda_content_search_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "empty");
    fs::create_directories(root / "second/data");
    fs::create_directories(root / "third/data");
    std::vector<ContentPlace> places = {
        {(root / "empty").string(), "a"}, {(root / "second").string(), "b"}, {(root / "third").string(), "c"}};
    EXPECT_EQ(FindContentFolder(places), (root / "second").string());
    places.erase(places.begin() + 1, places.end());
    places.push_back({(root / "missing").string(), "d"});
    EXPECT_EQ(FindContentFolder(places), "");
    std::string message = ContentMissingMessage(places, nullptr);
    for (const ContentPlace& place : places) EXPECT_NE(message.find(place.folder), std::string::npos) << message;
    EXPECT_NE(message.find("ORLENDA_DATA"), std::string::npos);
    EXPECT_NE(message.find("Shader/"), std::string::npos);
    fs::remove_all(root);
}

} // namespace
