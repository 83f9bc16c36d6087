// The racing line of a generated course and the ground carved round it.
#include <algorithm>
#include <cmath>
#include <limits>

#include "course_design.h"

namespace {

constexpr int kSamplesPerSpan = 48;
constexpr int kGridNodes = 257;

double SmoothStep(double e0, double e1, double x) {
    double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Uniform Catmull-Rom point between b and c.
Vec3 CatmullRom(Vec3 a, Vec3 b, Vec3 c, Vec3 d, float t) {
    float t2 = t * t, t3 = t2 * t;
    return (b * 2 + (c - a) * t + (a * 2 - b * 5 + c * 4 - d) * t2 + (b * 3 - a - c * 3 + d) * t3) * 0.5f;
}

} // namespace

CourseShape::CourseShape(const CourseDesign& d) : design(d) {
    const auto& p = d.line;
    const int n = int(p.size());
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < kSamplesPerSpan; ++k)
            samples.push_back(
                CatmullRom(p[(i + n - 1) % n], p[i], p[(i + 1) % n], p[(i + 2) % n], float(k) / kSamplesPerSpan));
    arc.push_back(0);
    for (size_t i = 1; i <= samples.size(); ++i) {
        arc.push_back(arc.back() + ::Length(samples[i % samples.size()] - samples[i - 1]));
    }
    length = arc.back();

    gridSize = kGridNodes;
    gridDistance.assign(size_t(gridSize) * gridSize, 0);
    gridFloor.assign(size_t(gridSize) * gridSize, 0);
    const double step = 2 * d.halfSize / (gridSize - 1);
    for (int j = 0; j < gridSize; ++j)
        for (int i = 0; i < gridSize; ++i) {
            double x = -d.halfSize + i * step, z = -d.halfSize + j * step;
            double best = std::numeric_limits<double>::max(), floor = 0;
            for (size_t s = 0; s < samples.size(); ++s) {
                const Vec3& a = samples[s];
                const Vec3& b = samples[(s + 1) % samples.size()];
                double ex = b.x - a.x, ez = b.z - a.z, len2 = ex * ex + ez * ez;
                double t = len2 > 0 ? std::clamp(((x - a.x) * ex + (z - a.z) * ez) / len2, 0.0, 1.0) : 0.0;
                double dx = a.x + ex * t - x, dz = a.z + ez * t - z, dist2 = dx * dx + dz * dz;
                if (dist2 < best) {
                    best = dist2;
                    floor = a.y + (b.y - a.y) * t;
                }
            }
            gridDistance[size_t(j) * gridSize + i] = float(std::sqrt(best));
            gridFloor[size_t(j) * gridSize + i] = float(floor);
        }
}

void CourseShape::Nearest(double x, double z, double* distance, double* floor) const {
    const double step = 2 * design.halfSize / (gridSize - 1);
    double fx = std::clamp((x + design.halfSize) / step, 0.0, gridSize - 1.0001);
    double fz = std::clamp((z + design.halfSize) / step, 0.0, gridSize - 1.0001);
    int i = int(fx), j = int(fz);
    double u = fx - i, v = fz - j;
    auto lerp = [&](const std::vector<float>& g) {
        auto at = [&](int a, int b) { return double(g[size_t(j + b) * gridSize + i + a]); };
        return (at(0, 0) * (1 - u) + at(1, 0) * u) * (1 - v) + (at(0, 1) * (1 - u) + at(1, 1) * u) * v;
    };
    *distance = lerp(gridDistance);
    *floor = lerp(gridFloor);
}

double CourseShape::Height(double x, double z) const {
    double base = design.base(x, z), distance, floor;
    Nearest(x, z, &distance, &floor);
    double carved = std::min(base, floor);
    return carved + (base - carved) * SmoothStep(design.corridor, design.corridor + design.shoulder, distance);
}

double CourseShape::MeshHeight(double x, double z) const {
    const double cell = 2.0 * design.halfSize / design.cells;
    double fx = std::clamp((x + design.halfSize) / cell, 0.0, double(design.cells) - 1e-9);
    double fz = std::clamp((z + design.halfSize) / cell, 0.0, double(design.cells) - 1e-9);
    int ix = int(fx), iz = int(fz);
    double u = fx - ix, v = fz - iz;
    auto corner = [&](int dx, int dz) {
        return Height(-design.halfSize + (ix + dx) * cell, -design.halfSize + (iz + dz) * cell);
    };
    double h00 = corner(0, 0), h10 = corner(1, 0), h01 = corner(0, 1), h11 = corner(1, 1);
    if (u >= v) return h00 + u * (h10 - h00) + v * (h11 - h10);
    return h00 + v * (h01 - h00) + u * (h11 - h01);
}

Vec3 CourseShape::At(double s) const {
    s = std::fmod(s, length);
    if (s < 0) s += length;
    size_t i = size_t(std::upper_bound(arc.begin(), arc.end(), s) - arc.begin());
    i = std::clamp<size_t>(i, 1, samples.size()) - 1;
    double span = arc[i + 1] - arc[i];
    float t = span > 0 ? float((s - arc[i]) / span) : 0.0f;
    return samples[i] + (samples[(i + 1) % samples.size()] - samples[i]) * t;
}

Vec3 CourseShape::Direction(double s) const { return Normalize(At(s + 2) - At(s - 2)); }
