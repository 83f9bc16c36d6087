// The course's models as mapc measures them: the first mesh of a text .x file, placed by an object's
// matrix, and the ground's height under a point.
#pragma once

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace mapc {

struct V3 {
    double x = 0, y = 0, z = 0;
};
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double Len(V3 a) { return std::sqrt(Dot(a, a)); }

struct Model {
    std::vector<V3> vertices;
    std::vector<std::array<int, 3>> faces;
};

// Reads the first mesh of a text .x file: its vertex and face lists (frame transforms are taken as
// identity, as the game's generated models write them). False with the reason in `error`.
bool ReadModel(const std::string& path, Model* model, std::string* error);

// A model point placed by a row-major object matrix.
V3 Transform(const std::array<float, 16>& m, V3 p);

// The farthest vertex from the origin with the matrix's axis scales applied: how the game sizes a
// checkpoint's passage.
double PassageRadius(const Model& model, const std::array<float, 16>& m);

// Highest point of the placed ground under (x, z), or -infinity off the ground.
class Ground {
public:
    Ground(const Model& model, const std::array<float, 16>& world);
    double HeightAt(double x, double z) const;

private:
    std::vector<V3> points;
    std::vector<std::array<int, 3>> faces;
};

} // namespace mapc
