// A generated course: a closed racing line through 3D control points, the ground carved round it,
// and the checkpoints, start grid and obstacles placed along it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "geometry.h"
#include "image.h"

struct CourseDesign {
    std::string id;         // map file stem and file-name suffix of its models
    double halfSize = 1200; // the ground covers x and z from -halfSize to +halfSize
    int cells = 100;        // ground quads per side
    std::vector<Vec3> line; // control points: x, height of the racing line's floor, z
    int checkPoints = 14;
    double clearance = 35;                      // checkpoints fly this far above the floor
    double corridor = 70;                       // half-width of the carved floor either side of the line
    double shoulder = 160;                      // width over which the carved floor blends back into `base`
    double sea = -1e9;                          // ground this low is water: no scenery stands on it
    std::function<double(double, double)> base; // the ground before carving
    std::function<Rgba(double x, double z, double h, float slope, float u, float v)> paint;
};

// The racing line sampled densely, and the ground height that follows from it.
class CourseShape {
public:
    explicit CourseShape(const CourseDesign& design);

    // Ground height at (x, z): the carved formula the mesh samples at its grid points.
    double Height(double x, double z) const;
    // Height of the ground mesh itself between its grid points (the triangles' split as written).
    double MeshHeight(double x, double z) const;
    // Position and unit direction of the line at arc length s (wrapping round the lap).
    Vec3 At(double s) const;
    Vec3 Direction(double s) const;
    double Length() const { return length; }
    // Distance from (x, z) to the line and the line's floor height there (from the distance grid).
    void Nearest(double x, double z, double* distance, double* floor) const;

    const CourseDesign& design;

private:
    std::vector<Vec3> samples;
    std::vector<double> arc; // arc length at each sample
    double length = 0;
    int gridSize = 0;
    std::vector<float> gridDistance, gridFloor;
};

// The three generated courses.
CourseDesign MountainDesign();
CourseDesign EveningDesign();
CourseDesign LongDesign();

// Writes the course's ground, its textures, its sky, its scenery models and its course text
// (`courseDir`/<id>.txt) plus its title preview; `data` is the game's data folder.
bool WriteCourse(const CourseDesign& design, const std::string& data, const std::string& courseDir);
// The title preview of the shipped course, from its ground's colour at a world point and its course text.
bool WriteShippedPreview(const std::string& data, const std::string& courseText,
                         const std::function<Rgba(double, double)>& groundAt);
