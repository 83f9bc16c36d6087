// Where the game keeps what it saves between runs (best times, ghosts), and the one way files get
// there: atomically, with a single stderr line and no more saving once the folder refuses a write.
#pragma once

#include <cstdint>
#include <string>

namespace records {

// The folder in use; empty means nothing is read or written (the default until the game sets one,
// so tests and automated runs never touch a player's saves by accident).
const std::string& SaveFolder();
// Sets the folder (empty: no saved data) and clears the "cannot write" state of the previous one.
void SetSaveFolder(const std::string& folder);
// $XDG_DATA_HOME/orlenda, else $HOME/.local/share/orlenda; empty when neither variable is set.
std::string DefaultSaveFolder();
// SaveFolder()/name, or empty when there is no folder.
std::string SavePath(const std::string& name);
// Writes SaveFolder()/name atomically. The first failure prints one line and stops all saving for
// the rest of the run; false whenever nothing was written.
bool SaveFile(const std::string& name, const std::string& bytes);
// A file that exists but cannot be used: renamed aside with one stderr line giving both names and
// what the game does instead (`goingOn`).
void SetAside(const std::string& path, const std::string& tag, const std::string& reason, const char* goingOn);

// FNV-1a (64 bit): the checksum of ghosts and of the map file they were flown on.
std::uint64_t Checksum(const std::string& bytes);

} // namespace records
