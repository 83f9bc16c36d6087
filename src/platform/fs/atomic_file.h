// Whole-file reads and crash-safe whole-file writes for the files the game keeps between runs.
//
// Stands in for: nothing of the original game, which wrote no files; this is the POSIX side of
// saving. A write goes to a temporary file in the same folder, is flushed to the disk (fsync), then
// renamed over the old file, and the folder entry is synced too, so a crash or a kill at any moment
// leaves either the whole old file or the whole new one.
// Does not: lock against other processes, keep backups, or create missing parent folders.
#pragma once

#include <string>

namespace platform::fs {

// The whole file; false when it cannot be opened or read (`error` gets the reason).
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);
// Replaces `path` with `bytes` atomically; false with the reason, leaving any old file as it was.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error);
// Renames `path` to "path.unreadable-YYYYMMDD-HHMMSS" (a counter added when that exists); returns
// the new name, or empty with the reason when the rename failed.
std::string MoveAside(const std::string& path, std::string* error);
// Creates the folder and its parents when missing; false with the reason.
bool MakeFolders(const std::string& path, std::string* error);

} // namespace platform::fs
