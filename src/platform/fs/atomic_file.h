// Whole-file reads, and setting aside files that cannot be read, for the files the game keeps
// between runs (the writes themselves are atomic_write.h's).
//
// Stands in for: the file calls a Windows game would save with; this is the POSIX side of
// saving.
// Does not: lock against other processes or keep backups.
#pragma once

#include <string>

#include "platform/fs/atomic_write.h" // WriteFileAtomically

namespace platform::fs {

// The whole file; false when it cannot be opened or read (`error` gets the reason).
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);
// Renames `path` to "path.unreadable-YYYYMMDD-HHMMSS" (a counter added when that exists); returns
// the new name, or empty with the reason when the rename failed.
std::string MoveAside(const std::string& path, std::string* error);
// Creates the folder and its parents when missing; false with the reason.
bool MakeFolders(const std::string& path, std::string* error);

} // namespace platform::fs
