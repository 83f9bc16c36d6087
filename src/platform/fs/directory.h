// Folder listing with the find-first / find-next contract.
//
// Stands in for: FindFirstFileA / FindNextFileA / FindClose with a "folder/*" pattern.
// The listing starts with the folder's own entry ".", then "..", then the folder's entries in
// byte-wise name order, directories flagged. Listing a missing folder or a file fails at the first
// call; the end of a listing is reported apart from a read error, as the game tells them apart.
// Does not: wildcards other than "*" and "*.ext", attributes beyond "is a directory".
#pragma once

#include <string>
#include <vector>

namespace platform::fs {

struct FindData {
    std::string fileName;
    bool directory = false;
};

enum class FindStatus {
    Ok,
    NoMoreFiles, // the listing ended normally
    Error,       // the folder could not be read
};

class DirectoryListing {
public:
    // Opens "folder/pattern" and yields the first entry. Returns false (status Error) when the
    // folder cannot be listed.
    bool FindFirst(const std::string& pathPattern, FindData* out);
    // The next entry; false at the end (status NoMoreFiles) or on an error (status Error).
    bool FindNext(FindData* out);
    FindStatus Status() const { return status; }

private:
    std::vector<FindData> entries;
    std::size_t next = 0;
    FindStatus status = FindStatus::Error;
};

// "data/Sound/BGM.wav" -> "BGM": no folder, no extension.
std::string FileStem(const std::string& path);
// "data/XFile/aaa/perlita.x" -> "data/XFile/aaa/" (the separator kept; empty when there is none).
std::string DirectoryPart(const std::string& path);
// "data/XFile/aaa/perlita.x" -> "perlita.x" (the whole path when it has no separator).
std::string FileNamePart(const std::string& path);
bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);
// The folder of the running executable (with a trailing separator); empty when unknown.
std::string ExecutableFolder();
// Makes `path` the working directory; false when it cannot.
bool ChangeDirectory(const std::string& path);

} // namespace platform::fs
