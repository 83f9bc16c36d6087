// The ghost: the keyboard racer's best finished race on a course and difficulty, one entry per
// update from "go" to the finish, saved beside the record as "map2-normal.ghost".
//
// Binary, little-endian: "ORLGHOST", version (u32, now 2), course id (u32 length + bytes), the
// difficulty (u32 length + bytes), the map file's checksum (u64), the update count (u32), per
// update eight floats (position x y z, rotation quaternion x y z w, animation time in frames),
// then the FNV-1a checksum (u64) of everything before it, which the record names as the ghost's.
// About 32 bytes an update: a 70-second race is ~140 KB, so it is kept uncompressed. Version 1
// had no difficulty; it was always filed under the right one, so its file name stands for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/save_folder.h"

// The longest race a ghost keeps: an hour of updates.
inline constexpr std::uint32_t kMostGhostFrames = 60 * 60 * 63;

struct GhostFrame {
    float position[3] = {0, 0, 0};
    float rotation[4] = {0, 0, 0, 1};
    float animationTime = 0;
};

struct GhostRun {
    std::string course;
    std::string difficulty; // empty in a version-1 file
    std::uint64_t mapChecksum = 0;
    std::vector<GhostFrame> frames;
    std::uint64_t checksum = 0; // the file's own, as read (0: not read from a file)
};

// What the head of a ghost file promises, read before the body is.
struct GhostHeader {
    std::uint32_t version = 0;
    std::string course;
    std::string difficulty;
    std::uint64_t mapChecksum = 0;
    std::uint32_t updates = 0;
    std::size_t headerBytes = 0;
    // The size a whole file with this header has.
    std::uint64_t FileBytes() const;
};
// Enough bytes of a file's head for any header this game writes.
inline constexpr std::size_t kMostGhostHeaderBytes = 8 + 4 + 4 + 256 + 4 + 32 + 8 + 4;

std::string EncodeGhost(const GhostRun& run);
// The checksum a ghost file ends with, as the record names it (0 for bytes too short to hold one).
std::uint64_t EncodedGhostChecksum(const std::string& bytes);
// Ok, Damaged with the reason, or Newer; the update count is checked against its bound.
records::FileState DecodeGhostHeader(const std::string& head, GhostHeader* header, std::string* error);
// The whole file: Ok only for the intact bytes of a version this game reads.
records::FileState DecodeGhost(const std::string& bytes, GhostRun* run, std::string* error);
// Reads a ghost file, its head first: a file whose size is not the one its header promises is
// refused before the rest is read.
records::FileState ReadGhostFile(const std::string& path, GhostRun* run, std::string* error);

// "map2-normal.ghost"
std::string GhostFileName(const std::string& course, const std::string& difficulty);
