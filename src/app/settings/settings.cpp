// The words of each settings choice.
#include "app/settings/settings.h"

const std::vector<std::string>& FullScreenNames() {
    static const std::vector<std::string> names = {"ask", "yes", "no"};
    return names;
}
const std::vector<std::string>& GraphicsNames() {
    // The renderer's and the racers' own words, so the file, the flags and the records agree.
    static const std::vector<std::string> names = {GraphicsQualityName(GraphicsQuality::Full),
                                                   GraphicsQualityName(GraphicsQuality::Fast),
                                                   GraphicsQualityName(GraphicsQuality::Low)};
    return names;
}
const std::vector<std::string>& DifficultyNames() {
    static const std::vector<std::string> names = {DifficultyName(Difficulty::Easy), DifficultyName(Difficulty::Normal),
                                                   DifficultyName(Difficulty::Hard)};
    return names;
}
const std::vector<std::string>& OnOffNames() {
    static const std::vector<std::string> names = {"off", "on"};
    return names;
}
