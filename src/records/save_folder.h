// Where the game keeps what it saves between runs (best times, ghosts), and the one way files get
// there: atomically, under the folder's lock, with a single stderr line and no more saving once
// the folder refuses a write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fs/folder_lock.h"

namespace records {

// What reading a saved file found.
enum class FileState {
    Ok,
    Damaged, // cut, changed or not of this kind: set aside, never written over
    Newer,   // written by a newer version of the game: left exactly as it is
};

// The folder in use; empty means nothing is read or written (the default until the game sets one,
// so tests and automated runs never touch a player's saves by accident).
const std::string& SaveFolder();
// Sets the folder (empty: no saved data) and clears what the run had decided about the previous
// one (a refused write, files held back).
void SetSaveFolder(const std::string& folder);
// $XDG_DATA_HOME/orlenda, else $HOME/.local/share/orlenda; empty when neither variable is set.
std::string DefaultSaveFolder();
// SaveFolder()/name, or empty when there is no folder.
std::string SavePath(const std::string& name);
// Takes the lock every game holds while it reads, compares and writes saved files. `create`
// makes the folder first (a save); without it a missing folder is simply not locked (there is
// nothing to read, and false). False, with one stderr line ending in `goingOn`, when another
// game keeps it too long; a lock file that cannot be made stops saving for the run (one line).
bool LockSaveFolder(platform::fs::FolderLock* lock, bool create, const char* goingOn);
// Writes SaveFolder()/name atomically, clearing temporary files earlier saves of it left (this
// game's own, or anyone's older than a minute). The first failure prints one line and stops all
// saving for the rest of the run; false whenever nothing was written.
bool SaveFile(const std::string& name, const std::string& bytes);
// A file that exists but cannot be used: renamed to "path.LABEL-YYYYMMDD-HHMMSS" with one stderr
// line giving both names and what the game does instead (`goingOn`). When even the rename fails
// the file stays, and saving stops for the run so that it is never written over.
void SetAside(const std::string& path, const std::string& label, const std::string& tag, const std::string& reason,
              const std::string& goingOn);
// Leaves `key` (a course and difficulty) alone for the rest of the run: a newer game's file was
// found. True the first time, so the caller says so once.
bool HoldBack(const std::string& key);
bool HeldBack(const std::string& key);

// FNV-1a (64 bit): the checksum of ghosts, records and of the map file they were flown on.
std::uint64_t Checksum(std::string_view bytes);

} // namespace records
