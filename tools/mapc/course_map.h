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
};

struct PlacedObject {
    std::string kind;
    std::array<float, 16> matrix{};  // row-major _11.._44
    int32_t number = 0;
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
// The canonical course text of a map: compiling it gives back the same map, bit for bit.
std::string FormatCourseText(const CourseMap& map);

std::vector<uint8_t> EncodeMapFile(const CourseMap& map);
CourseMap DecodeMapFile(const std::vector<uint8_t>& bytes);

// Placement matrix from position, yaw/pitch/roll in degrees and per-axis scale.
std::array<float, 16> PlacementMatrix(const float pos[3], const float rotDegrees[3], const float scale[3]);

}  // namespace mapc
