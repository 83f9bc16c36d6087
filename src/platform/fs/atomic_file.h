// Whole-file reads, and setting aside files that cannot be used, for the files the game keeps
// between runs (the writes themselves are atomic_write.h's).
//
// Stands in for: the file calls a Windows game would save with; this is the POSIX side of
// saving. A file's head can be read on its own, so a loader checks the sizes a header promises
// against the file's true size before it reads (and allocates for) the rest.
// Does not: lock against other processes (folder_lock.h does) or keep backups.
#pragma once

#include <cstdint>
#include <string>

#include "platform/fs/atomic_write.h" // WriteFileAtomically

namespace platform::fs {

// The whole file; false when it cannot be opened or read (`error` gets the reason).
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);
// At most the first `most` bytes of the file, and the file's whole size; false with the reason.
bool ReadFileHead(const std::string& path, std::size_t most, std::string* head, std::uint64_t* size,
                  std::string* error);
// Renames `path` to "path.LABEL-YYYYMMDD-HHMMSS" (a counter added when that exists); returns the
// new name, or empty with the reason when the rename failed.
std::string MoveAside(const std::string& path, const std::string& label, std::string* error);
// Creates the folder and its parents when missing; false with the reason.
bool MakeFolders(const std::string& path, std::string* error);

} // namespace platform::fs
