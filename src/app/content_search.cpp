// The content search: a fixed list of candidate folders, the first with data/ wins.
#include "app/content_search.h"

#include <algorithm>
#include <filesystem>

#include "platform/fs/directory.h"

namespace {
std::string Normal(const std::string& folder) {
    std::string text = std::filesystem::path(folder).lexically_normal().string();
    if (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}
} // namespace

std::vector<ContentPlace> ContentPlaces(const char* environmentValue, const std::string& workingFolder,
                                        const std::string& executableFolder) {
    std::vector<ContentPlace> candidates;
    if (environmentValue && *environmentValue) candidates.push_back({Normal(environmentValue), "$ORLENDA_DATA"});
    candidates.push_back({Normal(workingFolder), "the working directory"});
    if (!executableFolder.empty()) {
        candidates.push_back({Normal(executableFolder), "beside the executable"});
        candidates.push_back({Normal(executableFolder + "/../share/orlenda"), "the installed content"});
    }
    std::vector<ContentPlace> places;
    for (const ContentPlace& candidate : candidates) {
        auto same = std::find_if(places.begin(), places.end(),
                                 [&](const ContentPlace& place) { return place.folder == candidate.folder; });
        if (same == places.end()) places.push_back(candidate);
        else same->why += ", " + candidate.why;
    }
    return places;
}

std::string FindContentFolder(const std::vector<ContentPlace>& places) {
    for (const ContentPlace& place : places)
        if (platform::fs::IsDirectory(place.folder + "/data")) return place.folder;
    return {};
}

std::string ContentMissingMessage(const std::vector<ContentPlace>& places, const char* environmentValue) {
    std::string text = "Orlenda cannot find its content. It looked for data/ and Shader/ in:\n";
    for (const ContentPlace& place : places) text += "  " + place.folder + "  (" + place.why + ")\n";
    if (!environmentValue || !*environmentValue) text += "  ($ORLENDA_DATA is not set)\n";
    text += "Build the content with `make build`, reinstall the game,\n"
            "or set ORLENDA_DATA to the folder that holds data/ and Shader/.";
    return text;
}
