// The course's ground as a height formula: the generator meshes it and the course checks read it back.
#pragma once

#include <algorithm>
#include <cmath>

namespace terrain {

constexpr float kHalfSize = 1200.0f; // the ground covers x and z from -1200 to 1200
constexpr int kCells = 100;          // quads per side: 20 000 triangles
constexpr float kLakeLevel = 6.0f;   // height of the lake plain by the start

inline double SmoothStep(double e0, double e1, double x) {
    double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// A flattened disc: inside `inner` the ground is at `level`, blending back to the hills by `outer`.
struct Flat {
    double x, z, inner, outer, level;
};

// Village square around the church, the two tower hills' shoulders and the lake by the start grid.
constexpr Flat kFlats[] = {
    {-300, 600, 150, 260, 38},         // village
    {-820, -20, 70, 150, 30},          // valley floor between the wind towers
    {700, -900, 300, 460, kLakeLevel}, // lake plain at the start
};

inline double Hills(double x, double z) {
    double h = 42 + 30 * std::sin(x / 260.0 + 0.7) * std::cos(z / 310.0 - 0.4) +
               18 * std::sin((x + z) / 170.0) * std::cos((x - z) / 230.0) + 9 * std::sin(x / 97.0 + z / 131.0) +
               4 * std::sin(x / 41.0 - z / 53.0);
    // A river valley winding north-south through the west half.
    double riverX = -820 + 90 * std::sin(z / 210.0);
    double valley = 1 - SmoothStep(40, 220, std::fabs(x - riverX));
    h = h * (1 - 0.75 * valley) + 4 * valley;
    // Mountains rise along the rim so the world ends in peaks, not a cliff.
    double rim = SmoothStep(950, 1200, std::max(std::fabs(x), std::fabs(z)));
    h += rim * (120 + 40 * std::sin(x / 90.0) * std::cos(z / 110.0));
    return h;
}

// Ground height at (x, z) in world units; the formula the Ground mesh samples at its grid points.
inline double Height(double x, double z) {
    double h = Hills(x, z);
    for (const Flat& f : kFlats) {
        double d = std::hypot(x - f.x, z - f.z);
        double w = 1 - SmoothStep(f.inner, f.outer, d);
        h = h * (1 - w) + f.level * w;
    }
    return h;
}

// Height of the Ground mesh itself: the two triangles of each grid cell, split along the cell's
// diagonal from (x0, z0) to (x1, z1), interpolating the formula at the corners.
inline double MeshHeight(double x, double z) {
    const double cell = 2.0 * kHalfSize / kCells;
    double fx = std::clamp((x + kHalfSize) / cell, 0.0, double(kCells) - 1e-9);
    double fz = std::clamp((z + kHalfSize) / cell, 0.0, double(kCells) - 1e-9);
    int ix = int(fx), iz = int(fz);
    double u = fx - ix, v = fz - iz;
    auto corner = [&](int dx, int dz) { return Height(-kHalfSize + (ix + dx) * cell, -kHalfSize + (iz + dz) * cell); };
    double h00 = corner(0, 0), h10 = corner(1, 0), h01 = corner(0, 1), h11 = corner(1, 1);
    if (u >= v) return h00 + u * (h10 - h00) + v * (h11 - h10);
    return h00 + v * (h01 - h00) + u * (h11 - h01);
}

} // namespace terrain
