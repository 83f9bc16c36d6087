// Where the game looks for its content (data/ and Shader/), and what it says when it is nowhere.
#pragma once

#include <string>
#include <vector>

struct ContentPlace {
    std::string folder; // a folder that may hold data/ and Shader/
    std::string why;    // how the folder was chosen, for the error message
};

// The places in search order: $ORLENDA_DATA (when set), the working directory, the executable's
// folder, and ../share/orlenda beside it, where an installed game keeps its content. Places that
// name the same folder are listed once.
std::vector<ContentPlace> ContentPlaces(const char* environmentValue, const std::string& workingFolder,
                                        const std::string& executableFolder);
// The first place holding a data/ folder; empty when none does.
std::string FindContentFolder(const std::vector<ContentPlace>& places);
// The message of a search that found nothing: every place it looked.
std::string ContentMissingMessage(const std::vector<ContentPlace>& places, const char* environmentValue);
