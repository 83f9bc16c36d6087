// Splitting a model path into its folder (with the separator) and its file name.
#pragma once

#include <string>

namespace SimpleLib {

inline std::string DirectoryPart(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

inline std::string FileNamePart(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace SimpleLib
