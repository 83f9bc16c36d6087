// The course in memory, and its two forms: the commented course text and the binary map file.
//
// Course text, one statement a line, '#' starts a comment:
//   define <kind> <model file>
//   object <kind> pos <x> <y> <z> [rot <yaw> <pitch> <roll>] [scale <s> | scale <sx> <sy> <sz>] [number <n>]
//   object <kind> matrix <16 numbers, row by row> [number <n>]
// Angles are degrees; the object matrix is scale x rotation (roll about Z, pitch about X, yaw about Y) x
// translation, the way the game places things. Names may be written in double quotes when they hold
// blanks or '#'. The binary file is the game's map file: version 1, short-string definitions closed by
// "enddefine", objects (kind, 16 floats, int32 number) closed by "end".
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace mapc {

struct Definition {
    std::string kind;
    std::string modelFile;
    int line = 0; // course text line; 0 when read from a map file
};

struct PlacedObject {
    std::string kind;
    std::array<float, 16> matrix{}; // row-major _11.._44
    int32_t number = 0;
    int line = 0; // course text line; 0 when read from a map file
};

struct CourseMap {
    std::vector<Definition> definitions;
    std::vector<PlacedObject> objects;
};

// A course text or map file that cannot be read; the message names the line or byte offset.
class CourseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses course text; `source` names the text in error messages ("course.txt:12: ...").
CourseMap ParseCourseText(const std::string& text, const std::string& source);
// The canonical course text of a map: compiling it gives back the same map, bit for bit. What the
// game would skip (a kind defined again, objects of undefined or empty kinds, non-finite matrices)
// is written as comments, so compiling gives the map the game actually plays.
std::string FormatCourseText(const CourseMap& map);

std::vector<uint8_t> EncodeMapFile(const CourseMap& map);
CourseMap DecodeMapFile(const std::vector<uint8_t>& bytes);

// What the game would refuse or misread in a course that parses: kind names that miss the game's
// classes only by letter case, model files missing from `modelFolder`, non-finite matrices,
// checkpoints without size, checkpoint numbers that are not exactly 0 .. n-1 (or none at all), and
// what no racer could fly: fewer than 3 checkpoints, a ring centred under the ground, two rings
// closer than their radius (the last two only when mapc can read the Ground and CheckPoint models).
// One "source:line: reason" text per problem, in line order; empty when the game can race it.
std::vector<std::string> CheckCourse(const CourseMap& map, const std::string& source, const std::string& modelFolder);

// Placement matrix from position, yaw/pitch/roll in degrees and per-axis scale.
std::array<float, 16> PlacementMatrix(const float pos[3], const float rotDegrees[3], const float scale[3]);

} // namespace mapc
