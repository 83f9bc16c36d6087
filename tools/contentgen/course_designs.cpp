// The three generated courses: where their lines run, the ground before carving, and its colours.
#include <algorithm>
#include <cmath>

#include "course_design.h"

namespace {

double SmoothStep(double e0, double e1, double x) {
    double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

Rgba Shade(Rgba c, float u, float v) {
    float fine = ValueNoise(u * 512, v * 512, 512, 5);
    float s = 0.92f + 0.16f * fine;
    return {c.r * s, c.g * s, c.b * s, 1};
}

} // namespace

// Narrow valleys between high peaks, two passes, crags standing in the way.
CourseDesign MountainDesign() {
    CourseDesign d;
    d.id = "mountain";
    d.halfSize = 1200;
    d.cells = 128;
    d.line = {{0, 40, -800},   {500, 60, -700},  {850, 110, -350}, {900, 170, 100},  {650, 150, 550}, {200, 90, 800},
              {-300, 60, 750}, {-750, 100, 500}, {-900, 160, 0},   {-750, 90, -450}, {-400, 50, -750}};
    d.checkPoints = 14;
    d.clearance = 34;
    d.corridor = 75;
    d.shoulder = 150;
    d.base = [](double x, double z) {
        return 250 + 80 * std::sin(x / 230 + 1) * std::cos(z / 190) + 45 * std::sin((x + z) / 120) +
               20 * std::sin(x / 53 - z / 71);
    };
    d.paint = [](double, double, double h, float slope, float u, float v) {
        float n = FractalNoise(u * 32, v * 32, 4, 32, 41);
        Rgba grass = Mix(Hex(0x4E7A32), Hex(0x6B9140), n);
        Rgba rock = Mix(Hex(0x6E675D), Hex(0x8A8478), n);
        Rgba c = Mix(grass, rock, std::clamp((slope - 0.45f) * 2.0f + float(h - 170) / 150.0f, 0.0f, 1.0f));
        if (h > 290) c = Mix(c, Hex(0xF2F5FA), std::clamp(float(h - 290 - n * 40) / 30.0f, 0.0f, 1.0f));
        return Shade(c, u, v);
    };
    return d;
}

// Low over the sea at sunset, between islands and along a cliffed coast.
CourseDesign EveningDesign() {
    CourseDesign d;
    d.id = "evening";
    d.halfSize = 1400;
    d.line = {{0, 10, -900},   {700, 10, -800}, {1050, 10, -300}, {900, 25, 300},   {400, 40, 600},
              {-200, 25, 500}, {-700, 10, 700}, {-1100, 10, 200}, {-900, 10, -400}, {-450, 10, -700}};
    d.checkPoints = 16;
    d.clearance = 30;
    d.corridor = 60;
    d.shoulder = 120;
    d.sea = 0.5; // the ground is painted as sea below this
    d.base = [](double x, double z) {
        double coast = SmoothStep(650, 900, z + 120 * std::sin(x / 260));
        double hills = 30 + 35 * std::sin(x / 170 + 0.4) * std::cos(z / 210) + 12 * std::sin((x - z) / 90);
        double island = 0;
        const double islands[][3] = {{300, -350, 220}, {-450, 0, 260}, {650, 200, 160}, {-850, -850, 180}};
        for (const auto& i : islands)
            island = std::max(island, 1 - SmoothStep(0, i[2], std::hypot(x - i[0], z - i[1])));
        double land = std::max(coast * (hills + 40), island * (hills + 10));
        return std::max(-2.0, land - 4);
    };
    d.paint = [](double, double, double h, float slope, float u, float v) {
        float n = FractalNoise(u * 32, v * 32, 4, 32, 57);
        if (h < 0.5) return Shade(Mix(Hex(0x1D3557), Hex(0x3D5A80), n * 0.8f), u, v);
        Rgba c = h < 5 ? Hex(0xC9A978) : Mix(Hex(0x3E5B3A), Hex(0x56703F), n);
        c = Mix(c, Hex(0x6D635A), std::clamp((slope - 0.6f) * 2.0f, 0.0f, 1.0f));
        return Shade(c, u, v);
    };
    return d;
}

// A big loop over farmland: a long straight along the south for boosting, sweeping turns elsewhere.
CourseDesign LongDesign() {
    CourseDesign d;
    d.id = "long";
    d.halfSize = 1900;
    d.cells = 128;
    const double k = 0.78;
    const double points[][3] = {{-1500, 60, -1600}, {-500, 60, -1600}, {500, 60, -1600},  {1500, 60, -1600},
                                {2000, 80, -1000},  {1900, 120, 0},    {1400, 140, 700},  {1700, 120, 1500},
                                {900, 100, 1900},   {0, 90, 1400},     {-800, 110, 1900}, {-1700, 100, 1500},
                                {-2000, 80, 500},   {-1600, 70, -300}, {-2000, 60, -1100}};
    for (const auto& p : points) d.line.push_back({float(p[0] * k), float(p[1]), float(p[2] * k)});
    d.checkPoints = 24;
    d.clearance = 38;
    d.corridor = 80;
    d.shoulder = 200;
    d.base = [](double x, double z) {
        return 55 + 30 * std::sin(x / 310 + 0.3) * std::cos(z / 270) + 14 * std::sin((x + z) / 150) +
               60 * SmoothStep(1400, 1850, std::max(std::fabs(x), std::fabs(z)));
    };
    d.paint = [](double x, double z, double h, float slope, float u, float v) {
        float n = FractalNoise(u * 32, v * 32, 4, 32, 73);
        // Fields: a patchwork of crops in 120-unit plots.
        int fx = int(std::floor(x / 120)), fz = int(std::floor(z / 120));
        float plot = ValueNoise(float(fx), float(fz), 0, 91);
        Rgba field = plot < 0.33f ? Hex(0x9DBF4F) : (plot < 0.66f ? Hex(0xD8C068) : Hex(0x6E9A3C));
        Rgba c = Mix(field, Hex(0x5E8F39), n * 0.5f);
        c = Mix(c, Hex(0x8C8274), std::clamp((slope - 0.5f) * 2.0f, 0.0f, 1.0f));
        if (h > 110) c = Mix(c, Hex(0x4F7A35), std::clamp(float(h - 110) / 30.0f, 0.0f, 1.0f));
        return Shade(c, u, v);
    };
    return d;
}
