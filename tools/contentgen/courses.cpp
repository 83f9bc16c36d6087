// The generated courses: each one's ground mesh and texture, sky, scenery, course text and preview.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "course_design.h"
#include "props.h"
#include "xfile_writer.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr double kCheckPointScale = 24; // the unit checkpoint model scaled to a passage radius of 24
constexpr int kPreviewWidth = 256, kPreviewHeight = 128;
// Each preview pixel averages the ground over a square this many pixels wide round its centre, in
// kPreviewSamples x kPreviewSamples samples: detail finer than a couple of pixels (Grand Tour's
// fields) blends instead of standing out as blocks.
constexpr double kPreviewFootprint = 4.0;
constexpr int kPreviewSamples = 6;

Material Coloured(uint32_t rgb, const char* texture, float specular = 0.05f) {
    Material m;
    m.r = ((rgb >> 16) & 255) / 255.0f;
    m.g = ((rgb >> 8) & 255) / 255.0f;
    m.b = (rgb & 255) / 255.0f;
    m.specular = specular;
    m.texture = texture ? texture : "";
    return m;
}

// A small deterministic hash in [0, 1) for scattering scenery.
double Hash(int a, int b) {
    uint32_t h = uint32_t(a) * 73856093u ^ uint32_t(b) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / double(0x1000000);
}

MeshBuilder GroundMesh(const CourseShape& shape, const std::string& texture) {
    MeshBuilder m;
    Material mat = Coloured(0xFFFFFF, texture.c_str(), 0.02f);
    mat.power = 4;
    int id = m.AddMaterial(mat);
    const int n = shape.design.cells;
    const double half = shape.design.halfSize, cell = 2 * half / n;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            double x = -half + i * cell, z = -half + j * cell;
            float hx = float(shape.Height(x + 1, z) - shape.Height(x - 1, z)) * 0.5f;
            float hz = float(shape.Height(x, z + 1) - shape.Height(x, z - 1)) * 0.5f;
            m.AddVertex({{float(x), float(shape.Height(x, z)), float(z)},
                         Normalize({-hx, 1, -hz}),
                         float(i) / n,
                         1.0f - float(j) / n,
                         -1});
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
            m.AddFace(a, b, d, id, {0, 1, 0});
            m.AddFace(a, d, c, id, {0, 1, 0});
        }
    return m;
}

// The ground's colour at (wx, wz), whose texture coordinates are (u, v).
Rgba PaintAt(const CourseShape& shape, double wx, double wz, float u, float v) {
    double h = shape.Height(wx, wz);
    double sx = shape.Height(wx + 3, wz) - shape.Height(wx - 3, wz);
    double sz = shape.Height(wx, wz + 3) - shape.Height(wx, wz - 3);
    return shape.design.paint(wx, wz, h, float(std::hypot(sx, sz) / 6.0), u, v);
}

Image GroundTexture(const CourseShape& shape, int size) {
    Image img(size, size);
    const double half = shape.design.halfSize;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            img.At(x, y) = PaintAt(shape, -half + u * 2 * half, half - v * 2 * half, u, v);
        }
    return img;
}

// A rock crag standing round its origin: its middle is where the racing line passes, so the
// automatic pilot's detour point (on its bounding circle at the origin's height) stays in the air.
MeshBuilder Crag() {
    MeshBuilder m;
    int rock = m.AddMaterial(Coloured(0x8C8478, "stone.png"));
    int moss = m.AddMaterial(Coloured(0x5E7A45, "stone.png"));
    m.Prism({0, -44, 0}, 30, 15, 12, 7, rock, 0.08f, -1, true, 0.3f);
    m.Prism({0, -14, 0}, 26, 12, 8, 7, rock, 0.08f, -1, true, 0.9f);
    m.Prism({0, 12, 0}, 16, 8, 2, 7, rock, 0.08f, -1, true, 1.7f);
    m.Prism({0, -20, 0}, 3, 12.8f, 12.3f, 7, moss, 0.08f, -1, true, 0.3f);
    return m;
}

MeshBuilder Pine() {
    MeshBuilder m;
    int bark = m.AddMaterial(Coloured(0x6B4A2E, "wood.png"));
    int needles = m.AddMaterial(Coloured(0x2F5E35, nullptr));
    m.Prism({0, -4, 0}, 10, 1.4f, 1.0f, 6, bark);
    m.Prism({0, 5, 0}, 12, 8, 0.5f, 8, needles);
    m.Prism({0, 12, 0}, 10, 6, 0.4f, 8, needles);
    m.Prism({0, 18, 0}, 9, 4.2f, 0.1f, 8, needles);
    return m;
}

// Sky: zenith, upper sky, horizon and below-horizon colours, cloud cover, and an optional sun or moon.
struct SkyLook {
    uint32_t zenith, high, horizon, ground;
    float clouds;
    uint32_t cloudTint;
    float sunX, sunElevation, sunSize; // sunSize 0: none
    uint32_t sun;
};

Image PaintSky(const SkyLook& look) {
    const int w = 1024, h = 512;
    Image img(w, h);
    for (int y = 0; y < h; ++y) {
        float elev = 1 - 2 * (y + 0.5f) / h;
        Rgba base = elev > 0.35f ? Mix(Hex(look.high), Hex(look.zenith), (elev - 0.35f) / 0.65f)
                                 : (elev > 0 ? Mix(Hex(look.horizon), Hex(look.high), elev / 0.35f)
                                             : Mix(Hex(look.horizon), Hex(look.ground), std::min(1.0f, -elev * 4)));
        for (int x = 0; x < w; ++x) {
            Rgba c = base;
            if (elev > 0.02f && elev < 0.7f && look.clouds > 0) {
                float stretch = 1.0f + 3.0f * (1 - elev);
                float n = FractalNoise(x / 64.0f, y / (64.0f / stretch), 5, 16, 307);
                float cover = std::clamp((n - 0.6f + 0.2f * look.clouds) * 3.5f, 0.0f, 1.0f) *
                              std::clamp((0.7f - elev) * 4, 0.0f, 1.0f);
                c = Mix(c, Hex(look.cloudTint), cover * look.clouds);
            }
            if (look.sunSize > 0) {
                float dx = std::fabs(x / float(w) - look.sunX);
                dx = std::min(dx, 1 - dx) * 2 * kPi;
                float d = std::hypot(dx * std::cos(elev * kPi / 2), (elev - look.sunElevation) * kPi / 2);
                float disc = std::clamp((look.sunSize - d) * 400, 0.0f, 1.0f);
                float halo = std::exp(-d / (look.sunSize * 4)) * 0.6f;
                c = Mix(c, Hex(look.sun), std::min(1.0f, disc + halo));
            }
            img.At(x, y) = c;
        }
    }
    return img;
}

struct Placed {
    std::string kind;
    Vec3 pos;
    float yaw = 0, scale = 1;
};

struct Layout {
    Vec3 start;
    float heading = 0;
    std::vector<Vec3> checkPoints;
    std::vector<Placed> scenery;
};

// The ground under a foot of `radius` round (x, z) is above the sea all round.
bool OnLand(const CourseShape& shape, double x, double z, double radius) {
    const double sea = shape.design.sea;
    return shape.MeshHeight(x, z) > sea && shape.MeshHeight(x + radius, z) > sea &&
           shape.MeshHeight(x - radius, z) > sea && shape.MeshHeight(x, z + radius) > sea &&
           shape.MeshHeight(x, z - radius) > sea;
}

Layout PlaceCourse(const CourseShape& shape, const std::vector<int>& obstacleAfter, const std::string& decorKind,
                   int decorCount) {
    const CourseDesign& d = shape.design;
    Layout out;
    const double spacing = shape.Length() / d.checkPoints;
    Vec3 s = shape.At(0);
    out.start = {s.x, float(s.y + d.clearance), s.z};
    Vec3 dir = shape.Direction(0);
    out.heading = std::fmod(std::atan2(dir.x, dir.z) * 180.0f / kPi + 360.0f, 360.0f);
    for (int i = 0; i < d.checkPoints; ++i) {
        Vec3 p = shape.At((i + 0.6) * spacing);
        out.checkPoints.push_back({p.x, float(p.y + d.clearance), p.z});
    }
    // Obstacles stand on the chord between two checkpoints, where every racer's direct way runs.
    for (int i : obstacleAfter) {
        Vec3 a = out.checkPoints[size_t(i)], b = out.checkPoints[size_t(i + 1) % out.checkPoints.size()];
        out.scenery.push_back({"Crag", (a + b) * 0.5f, float(i * 37 % 360), 1.0f});
    }
    // Decoration well off the line on ground that is not too steep.
    for (int k = 0, placed = 0; k < decorCount * 8 && placed < decorCount; ++k) {
        double along = Hash(k, 1) * shape.Length(), side = Hash(k, 2) < 0.5 ? -1 : 1;
        double off = d.corridor + 30 + Hash(k, 3) * 120;
        Vec3 p = shape.At(along), t = shape.Direction(along);
        double x = p.x + t.z * off * side, z = p.z - t.x * off * side;
        if (std::fabs(x) > d.halfSize - 50 || std::fabs(z) > d.halfSize - 50) continue;
        double ground = shape.MeshHeight(x, z);
        double around = std::max({shape.MeshHeight(x + 6, z), shape.MeshHeight(x - 6, z), shape.MeshHeight(x, z + 6),
                                  shape.MeshHeight(x, z - 6)});
        if (around - ground > 8 || !OnLand(shape, x, z, 6)) continue;
        out.scenery.push_back(
            {decorKind, {float(x), float(ground), float(z)}, float(Hash(k, 4) * 360), float(0.8 + Hash(k, 5) * 0.6)});
        ++placed;
    }
    return out;
}

// A chapel on the first headland well clear of the line (150 units from any of it) and of the other
// chapels: from `along` on for three tenths of the lap, on either side, 190 to 400 units out.
void PlaceChapel(const CourseShape& shape, double along, int k, Layout* layout) {
    constexpr double kChapelFoot = 16, kChapelClear = 150, kChapelsApart = 400;
    auto apart = [&](double x, double z) {
        return std::none_of(layout->scenery.begin(), layout->scenery.end(), [&](const Placed& p) {
            return p.kind == "church" && std::hypot(p.pos.x - x, p.pos.z - z) < kChapelsApart;
        });
    };
    for (double step = 0; step < 0.3; step += 0.01) {
        Vec3 p = shape.At(along + step * shape.Length()), t = shape.Direction(along + step * shape.Length());
        for (double off = 190; off <= 400; off += 10)
            for (double side : {1.0, -1.0}) {
                double x = p.x - t.z * off * side, z = p.z + t.x * off * side;
                double fromLine = 0, floor = 0;
                shape.Nearest(x, z, &fromLine, &floor);
                if (fromLine < kChapelClear || !OnLand(shape, x, z, kChapelFoot) || !apart(x, z)) continue;
                layout->scenery.push_back(
                    {"church", {float(x), float(shape.MeshHeight(x, z) + 4), float(z)}, float(k * 70), 0.8f});
                return;
            }
    }
}

std::string CourseText(const CourseDesign& d, const Layout& layout, const std::vector<std::string>& defines) {
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(1);
    out << "# Orlenda course \"" << d.id << "\", written by contentgen: do not edit, change the generator.\n"
        << "# start " << layout.start.x << " " << layout.start.y << " " << layout.start.z << " heading "
        << layout.heading << "\n\n";
    for (const std::string& line : defines) out << line << "\n";
    out << "\nobject Ground pos 0 0 0\n\n";
    for (size_t i = 0; i < layout.checkPoints.size(); ++i) {
        const Vec3& p = layout.checkPoints[i];
        out << "object CheckPoint pos " << p.x << " " << p.y << " " << p.z << " scale " << kCheckPointScale
            << " number " << i << "\n";
    }
    out << "\n";
    for (const Placed& p : layout.scenery) {
        out << "object " << p.kind << " pos " << p.pos.x << " " << p.pos.y << " " << p.pos.z << " rot " << p.yaw
            << " 0 0";
        if (p.scale != 1.0f) out << " scale " << p.scale;
        out << "\n";
    }
    return out.str();
}

// Top-down picture of the ground round the lap with the line of checkpoints drawn over it. The
// ground is painted afresh for every pixel wherever the box reaches, past the ground's edge too, so
// each preview fills its box at the box's own resolution, whatever the course's size.
Image Preview(const std::function<Rgba(double, double)>& groundAt, const std::vector<Vec3>& checkPoints) {
    double minX = 1e9, maxX = -1e9, minZ = 1e9, maxZ = -1e9;
    for (const Vec3& p : checkPoints) {
        minX = std::min(minX, double(p.x)), maxX = std::max(maxX, double(p.x));
        minZ = std::min(minZ, double(p.z)), maxZ = std::max(maxZ, double(p.z));
    }
    double cx = (minX + maxX) / 2, cz = (minZ + maxZ) / 2;
    double scale = std::max((maxX - minX + 160) / kPreviewWidth, (maxZ - minZ + 160) / kPreviewHeight);
    Image img(kPreviewWidth, kPreviewHeight);
    auto toPixel = [&](double x, double z, float* px, float* py) {
        *px = float((x - cx) / scale + kPreviewWidth / 2.0);
        *py = float((cz - z) / scale + kPreviewHeight / 2.0);
    };
    for (int y = 0; y < kPreviewHeight; ++y)
        for (int x = 0; x < kPreviewWidth; ++x) {
            Rgba sum{0, 0, 0, 0};
            for (int j = 0; j < kPreviewSamples; ++j)
                for (int i = 0; i < kPreviewSamples; ++i) {
                    const double dx = ((i + 0.5) / kPreviewSamples - 0.5) * kPreviewFootprint;
                    const double dy = ((j + 0.5) / kPreviewSamples - 0.5) * kPreviewFootprint;
                    double wx = cx + (x + 0.5 + dx - kPreviewWidth / 2.0) * scale;
                    double wz = cz - (y + 0.5 + dy - kPreviewHeight / 2.0) * scale;
                    Rgba c = groundAt(wx, wz);
                    sum.r += c.r, sum.g += c.g, sum.b += c.b;
                }
            const float shade = 0.85f / (kPreviewSamples * kPreviewSamples);
            bool edge = x < 2 || y < 2 || x >= kPreviewWidth - 2 || y >= kPreviewHeight - 2;
            img.At(x, y) = edge ? Hex(0xF4E9C8) : Rgba{sum.r * shade, sum.g * shade, sum.b * shade, 1};
        }
    for (size_t i = 0; i < checkPoints.size(); ++i) {
        const Vec3& a = checkPoints[i];
        const Vec3& b = checkPoints[(i + 1) % checkPoints.size()];
        for (int k = 0; k <= 40; ++k) {
            float px, py;
            toPixel(a.x + (b.x - a.x) * k / 40.0, a.z + (b.z - a.z) * k / 40.0, &px, &py);
            img.FillCircle(px, py, 1.3f, Hex(0xFFF4D0));
        }
    }
    for (size_t i = 0; i < checkPoints.size(); ++i) {
        float px, py;
        toPixel(checkPoints[i].x, checkPoints[i].z, &px, &py);
        img.FillCircle(px, py, i == 0 ? 4.0f : 2.6f, i == 0 ? Hex(0xE8403A) : Hex(0xF2B33D));
    }
    return img;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out);
}

SkyLook SkyFor(const std::string& id) {
    if (id == "evening") // sunset over the sea: violet overhead, a low orange sun
        return {0x1B1840, 0x4B2E6E, 0xF08A4B, 0x3A2A48, 0.6f, 0xC76A7A, 0.08f, 0.06f, 0.045f, 0xFFE2A0};
    if (id == "mountain") // thin, clear high-altitude air
        return {0x163E8C, 0x3F78D0, 0xDCEBF7, 0xB8C4CE, 0.35f, 0xFFFFFF, 0.3f, 0.55f, 0.02f, 0xFFFFF0};
    return {0x3A73C0, 0x79A8DC, 0xF3E6C8, 0xC8BFA8, 0.8f, 0xFBF4E8, 0.7f, 0.4f, 0.025f, 0xFFF6D8};
}

} // namespace

bool WriteCourse(const CourseDesign& design, const std::string& data, const std::string& courseDir) {
    CourseShape shape(design);
    const std::string& id = design.id;
    const std::string groundModel = "ground_" + id + ".x", groundTexture = "ground_" + id + ".png";
    Image ground = GroundTexture(shape, 512);
    if (!WriteStaticX(data + "/MapObject/" + groundModel, GroundMesh(shape, groundTexture), "Ground") ||
        !ground.SavePng(data + "/MapObject/" + groundTexture))
        return false;
    const std::string skyName = "sky_" + id;
    if (!WriteStaticX(data + "/XFile/SkySphere/" + skyName + ".x", SkySphere((skyName + ".png").c_str()), "Sky") ||
        !PaintSky(SkyFor(id)).SavePng(data + "/XFile/SkySphere/" + skyName + ".png"))
        return false;
    if (!WriteStaticX(data + "/MapObject/crag.x", Crag(), "Crag") ||
        !WriteStaticX(data + "/MapObject/pine.x", Pine(), "Pine"))
        return false;

    std::vector<int> obstacles;
    std::vector<std::string> defines = {"define Ground     " + groundModel, "define CheckPoint checkpoint.x",
                                        "define Pine       pine.x"};
    std::string decor = "Pine";
    int decorCount = 60;
    if (id == "mountain") {
        obstacles = {0, 2, 4, 6, 8, 10, 12};
        defines.push_back("define Crag       crag.x");
    } else if (id == "evening") {
        defines.push_back("define church     church.x");
        decorCount = 40;
    } else {
        decorCount = 90;
    }
    Layout layout = PlaceCourse(shape, obstacles, decor, decorCount);
    if (id == "evening") {
        for (int k = 0; k < 3; ++k) PlaceChapel(shape, shape.Length() * (0.2 + 0.3 * k), k, &layout);
    }
    if (!WriteText(courseDir + "/" + id + ".txt", CourseText(design, layout, defines))) return false;
    const double half = design.halfSize;
    auto groundAt = [&](double x, double z) {
        return PaintAt(shape, x, z, float((x + half) / (2 * half)), float((half - z) / (2 * half)));
    };
    return Preview(groundAt, layout.checkPoints).SavePng(data + "/Texture/preview_" + id + ".png");
}

bool WriteShippedPreview(const std::string& data, const std::string& courseText,
                         const std::function<Rgba(double, double)>& groundAt) {
    std::ifstream in(courseText);
    std::vector<Vec3> checkPoints;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string object, kind, pos;
        Vec3 p;
        if (words >> object >> kind >> pos >> p.x >> p.y >> p.z && object == "object" && kind == "CheckPoint")
            checkPoints.push_back(p);
    }
    if (checkPoints.empty()) {
        std::fprintf(stderr, "contentgen: no checkpoints in %s\n", courseText.c_str());
        return false;
    }
    return Preview(groundAt, checkPoints).SavePng(data + "/Texture/preview_map2.png");
}
