// Directory listing on std::filesystem, sorted so every machine enumerates in the same order.
#include "platform/fs/directory.h"

#include <algorithm>
#include <filesystem>
#include <fnmatch.h>
#include <unistd.h>

namespace platform::fs {

namespace stdfs = std::filesystem;

bool DirectoryListing::FindFirst(const std::string& pathPattern, FindData* out) {
    entries.clear();
    next = 0;
    status = FindStatus::Error;
    std::string folder = DirectoryPart(pathPattern);
    std::string pattern = pathPattern.substr(folder.size());
    if (folder.empty()) folder = "./";
    if (pattern.empty()) pattern = "*";

    std::error_code ec;
    if (!stdfs::is_directory(folder, ec)) return false;
    std::vector<FindData> found;
    for (stdfs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
        std::error_code typeError;
        found.push_back({name, it->is_directory(typeError)});
    }
    if (ec) return false;
    std::sort(found.begin(), found.end(), [](const FindData& a, const FindData& b) { return a.fileName < b.fileName; });
    entries.push_back({".", true});
    entries.push_back({"..", true});
    entries.insert(entries.end(), found.begin(), found.end());
    status = FindStatus::Ok;
    return FindNext(out);
}

bool DirectoryListing::FindNext(FindData* out) {
    if (status == FindStatus::Error) return false;
    if (next >= entries.size()) {
        status = FindStatus::NoMoreFiles;
        return false;
    }
    if (out) *out = entries[next];
    ++next;
    status = FindStatus::Ok;
    return true;
}

std::string FileStem(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string DirectoryPart(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNamePart(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return stdfs::is_regular_file(path, ec);
}

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return stdfs::is_directory(path, ec);
}

std::string ExecutableFolder() {
    std::error_code ec;
    stdfs::path executable = stdfs::read_symlink("/proc/self/exe", ec);
    if (ec || executable.empty()) return {};
    return executable.parent_path().string() + "/";
}

bool ChangeDirectory(const std::string& path) { return !path.empty() && chdir(path.c_str()) == 0; }

} // namespace platform::fs
