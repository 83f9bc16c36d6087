// Broom model, and the sky: an inward-facing sphere with a painted gradient-and-clouds texture.
#include "props.h"

#include <algorithm>
#include <cmath>

#include "image.h"
#include "xfile_writer.h"

namespace {

constexpr float kPi = 3.14159265f;
// The game draws the sky scaled by 15 around the player; 15 x 120 = 1800 stays inside the far plane.
constexpr float kSkyRadius = 120.0f;

Material Plain(uint32_t rgb, const char* texture = nullptr, float emissive = 0) {
    Material m;
    m.r = ((rgb >> 16) & 255) / 255.0f;
    m.g = ((rgb >> 8) & 255) / 255.0f;
    m.b = (rgb & 255) / 255.0f;
    m.emissive = emissive;
    m.texture = texture ? texture : "";
    return m;
}

MeshBuilder Broom() {
    MeshBuilder m;
    int stick = m.AddMaterial(Plain(0x8B5A2B));
    int straw = m.AddMaterial(Plain(0xE8C25A));
    int band = m.AddMaterial(Plain(0xC0392B));
    // Built along +Y, then laid along +Z: the handle points forward, the bristles back past z = -1.2.
    int first = int(m.vertices.size());
    m.Prism({0, -0.75f, 0}, 1.95f, 0.045f, 0.04f, 6, stick);
    m.Prism({0, -1.45f, 0}, 0.75f, 0.24f, 0.07f, 8, straw);
    m.Prism({0, -0.80f, 0}, 0.1f, 0.085f, 0.085f, 8, band);
    m.Prism({0, 1.15f, 0}, 0.06f, 0.055f, 0.0f, 6, stick);
    m.TransformFrom(first, 90.0f, {});
    return m;
}

} // namespace

MeshBuilder SkySphere(const char* texture) {
    MeshBuilder m;
    int mat = m.AddMaterial(Plain(0xFFFFFF, texture, 1.0f));
    const int rings = 16, segments = 32;
    for (int r = 0; r <= rings; ++r) {
        float phi = kPi * r / rings;
        for (int s = 0; s <= segments; ++s) {
            float theta = 2 * kPi * s / segments;
            Vec3 unit{std::sin(phi) * std::sin(theta), std::cos(phi), std::sin(phi) * std::cos(theta)};
            m.AddVertex({unit * kSkyRadius, unit * -1.0f, float(s) / segments, float(r) / rings, -1});
        }
    }
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            int a = r * (segments + 1) + s, b = a + 1, c = a + segments + 1, d = c + 1;
            // Faces look inwards: AddFace orients them by the (inward) corner normals.
            if (r > 0) m.AddFace(a, b, d, mat);
            if (r < rings - 1) m.AddFace(a, d, c, mat);
        }
    return m;
}

namespace {

// Equirectangular: row 0 is straight up, the middle row the horizon.
Image SkyTexture() {
    const int w = 1024, h = 512;
    Image img(w, h);
    Rgba zenith = Hex(0x2F6FD0), high = Hex(0x5F9BE8), horizon = Hex(0xCFE6FA), ground = Hex(0x9FB7C8);
    for (int y = 0; y < h; ++y) {
        float elev = 1 - 2 * (y + 0.5f) / h; // 1 up, 0 horizon, -1 down
        Rgba base = elev > 0.35f ? Mix(high, zenith, (elev - 0.35f) / 0.65f)
                                 : (elev > 0 ? Mix(horizon, high, elev / 0.35f)
                                             : Mix(horizon, ground, std::min(1.0f, -elev * 4)));
        for (int x = 0; x < w; ++x) {
            Rgba c = base;
            if (elev > 0.02f && elev < 0.75f) {
                // Clouds thin out towards the zenith and flatten towards the horizon.
                float stretch = 1.0f + 3.0f * (1 - elev);
                float n = FractalNoise(x / 64.0f, y / (64.0f / stretch), 5, 16, 211);
                float cover = std::clamp((n - 0.52f) * 3.5f, 0.0f, 1.0f) * std::clamp((0.75f - elev) * 4, 0.0f, 1.0f);
                float shade = 0.82f + 0.18f * FractalNoise(x / 24.0f, y / 24.0f, 3, 0, 223);
                c = Mix(c, Rgba{shade, shade, shade * 1.02f, 1}, cover * 0.9f);
            }
            img.At(x, y) = c;
        }
    }
    return img;
}

} // namespace

bool WriteBroom(const std::string& dir) { return WriteStaticX(dir + "/houki.x", Broom(), "Houki"); }

bool WriteSky(const std::string& dir) {
    return WriteStaticX(dir + "/Sky.x", SkySphere("sky.png"), "Sky") && SkyTexture().SavePng(dir + "/sky.png");
}
