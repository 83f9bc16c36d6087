// Writing a whole file so that a crash or a full disk never leaves it half written.
//
// Stands in for: the write-temp-then-ReplaceFile idiom. The text goes to a temporary file in the
// same folder ("PATH.tmp-PID-XXXXXX", created with its parents when missing), is flushed and
// synced, and is renamed over the target; the folder is synced too. A path that is a symbolic link
// is written through to the file it names (the temporary file goes beside that file), and a
// replaced file keeps its permissions. On any failure the temporary file is removed and the old
// file is left as it was.
// Does not: keep backups, lock against other writers (folder_lock.h does), clear the temporary
// files of a writer that was killed (RemoveStaleTemporaries does, when asked).
#pragma once

#include <chrono>
#include <string>

namespace platform::fs {
// False with "PATH: reason" in `error`.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);
// The file WriteFileAtomically writes for `path`: symbolic links followed (a dangling one to where
// it points; past a few dozen, a loop, the path as it is).
std::string FileBehindLinks(const std::string& path);
// Removes the temporary files WriteFileAtomically left for `path` that are this process's own or
// were last written more than `age` ago; another writer's fresh file may still be about to be
// renamed into place. Returns how many went.
int RemoveStaleTemporaries(const std::string& path, std::chrono::seconds age);
} // namespace platform::fs
