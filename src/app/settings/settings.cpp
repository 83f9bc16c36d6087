// The words of each settings choice.
#include "app/settings/settings.h"

const std::vector<std::string>& FullScreenNames() {
    static const std::vector<std::string> names = {"ask", "yes", "no"};
    return names;
}
const std::vector<std::string>& GraphicsNames() {
    static const std::vector<std::string> names = {"full", "fast", "low"};
    return names;
}
const std::vector<std::string>& DifficultyNames() {
    static const std::vector<std::string> names = {"easy", "normal", "hard"};
    return names;
}
const std::vector<std::string>& OnOffNames() {
    static const std::vector<std::string> names = {"off", "on"};
    return names;
}
