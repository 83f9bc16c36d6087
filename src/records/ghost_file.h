// The ghost: the keyboard racer's best finished race on a course and difficulty, one entry per
// update from "go" to the finish, saved beside the record as "map2-normal.ghost".
//
// Binary, little-endian: "ORLGHOST", version (u32), course id (u32 length + bytes), the map file's
// checksum (u64), the update count (u32), per update eight floats (position x y z, rotation
// quaternion x y z w, animation time in frames), then the FNV-1a checksum (u64) of everything
// before it. About 32 bytes an update: a 70-second race is ~140 KB, so it is kept uncompressed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The longest race a ghost keeps: an hour of updates.
inline constexpr std::uint32_t kMostGhostFrames = 60 * 60 * 63;

struct GhostFrame {
    float position[3] = {0, 0, 0};
    float rotation[4] = {0, 0, 0, 1};
    float animationTime = 0;
};

struct GhostRun {
    std::string course;
    std::uint64_t mapChecksum = 0;
    std::vector<GhostFrame> frames;
};

std::string EncodeGhost(const GhostRun& run);
// false with the reason when the bytes are not a whole, intact ghost of the current format.
bool DecodeGhost(const std::string& bytes, GhostRun* run, std::string* error);

// "map2-normal.ghost"
std::string GhostFileName(const std::string& course, const std::string& difficulty);
// The saved ghost of this course and difficulty when there is one that fits this map; otherwise
// false. A broken file is set aside, one that belongs to another course or map is left alone; either
// way one stderr line says why the race runs without it.
bool LoadGhost(const std::string& course, const std::string& difficulty, std::uint64_t mapChecksum, GhostRun* run);
bool SaveGhost(const GhostRun& run, const std::string& difficulty);
