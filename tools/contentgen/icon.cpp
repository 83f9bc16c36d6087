// The 256 x 256 desktop icon: a night-blue disc, the game's magic circle glowing gold, a full moon
// and the black silhouette of a witch on her broom flying across it, so it reads at 48 pixels too.
#include "icon.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "effect_textures.h"
#include "image.h"

namespace {

constexpr int kSize = 256;
constexpr int kSubsamples = 4; // per axis, for the polygon edges
const Rgba kSilhouette = Hex(0x120a1c);

struct Point {
    float x, y;
};

bool Inside(const std::vector<Point>& polygon, float x, float y) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

void FillPolygon(Image& image, const std::vector<Point>& polygon, const Rgba& colour) {
    float x0 = kSize, y0 = kSize, x1 = 0, y1 = 0;
    for (const Point& p : polygon) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    for (int y = std::max(0, int(y0)); y <= std::min(kSize - 1, int(y1)); ++y)
        for (int x = std::max(0, int(x0)); x <= std::min(kSize - 1, int(x1)); ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSubsamples; ++sy)
                for (int sx = 0; sx < kSubsamples; ++sx)
                    hits += Inside(polygon, x + (sx + 0.5f) / kSubsamples, y + (sy + 0.5f) / kSubsamples);
            if (hits > 0) image.Blend(x, y, colour, float(hits) / (kSubsamples * kSubsamples));
        }
}

// A thick line with round ends, as a polygon of its two sides and two discs.
void Stroke(Image& image, Point a, Point b, float width, const Rgba& colour) {
    float dx = b.x - a.x, dy = b.y - a.y, length = std::max(1e-3f, std::hypot(dx, dy));
    float nx = -dy / length * width / 2, ny = dx / length * width / 2;
    FillPolygon(image, {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}},
                colour);
    image.FillCircle(a.x, a.y, width / 2, colour);
    image.FillCircle(b.x, b.y, width / 2, colour);
}

void NightDisc(Image& image) {
    const float c = kSize / 2.0f;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            float d = std::hypot(x + 0.5f - c, y + 0.5f - c) / 124;
            float coverage = std::clamp((1 - d) * 124 + 0.5f, 0.0f, 1.0f);
            if (coverage > 0) image.Blend(x, y, Mix(Hex(0x3a2a78), Hex(0x0c0a26), std::min(1.0f, d)), coverage);
        }
    const Point stars[] = {{70, 58}, {196, 74}, {58, 150}, {204, 176}, {100, 210}, {176, 40}, {150, 222}};
    for (const Point& s : stars) image.FillCircle(s.x, s.y, 1.6f, Hex(0xfff4d0, 0.9f));
}

void GlowingCircle(Image& image) {
    const float c = kSize / 2.0f;
    // A soft halo under the lines, then the lines themselves, warm gold.
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            float d = std::hypot(x + 0.5f - c, y + 0.5f - c);
            float halo = std::exp(-std::pow((d - 117) / 9, 2.0f)) * 0.3f + std::exp(-std::pow(d / 40, 2.0f)) * 0.25f;
            if (d < 124) image.Blend(x, y, Hex(0xffd070, halo));
        }
    // Only the lines: the circle's faint fill would wash the night out to brown.
    Image circle = MagicCircleImage();
    const Rgba gold = Hex(0xffd98a);
    for (int y = 0; y < std::min(kSize, circle.Height()); ++y)
        for (int x = 0; x < std::min(kSize, circle.Width()); ++x) {
            float line = std::clamp((circle.At(x, y).a - 0.3f) / 0.7f, 0.0f, 1.0f);
            if (line > 0) image.Blend(x, y, gold, line);
        }
}

// Flying to the upper right: bristles trailing at the lower left, the witch sitting just behind
// the middle of the handle, hat and cloak blown back.
void WitchOnBroom(Image& image) {
    Stroke(image, {52, 186}, {222, 128}, 7, kSilhouette); // handle
    for (int i = 0; i < 9; ++i) {                         // bristles, fanned out
        float a = 2.55f + 0.09f * float(i - 4);
        Stroke(image, {76, 188}, {76 + 48 * std::cos(a), 188 + 48 * std::sin(a) + 6}, 6, kSilhouette);
    }
    FillPolygon(image, {{80, 178}, {44, 170}, {34, 196}, {48, 214}, {84, 196}}, kSilhouette);
    FillPolygon(image,
                {{150, 102},
                 {168, 146},
                 {176, 160},
                 {128, 172},
                 {74, 160}, // cloak blown back
                 {96, 146},
                 {112, 126},
                 {134, 106}},
                kSilhouette);
    Stroke(image, {160, 124}, {188, 146}, 8, kSilhouette);                         // arm on the handle
    Stroke(image, {150, 160}, {176, 176}, 8, kSilhouette);                         // leg
    Stroke(image, {176, 176}, {188, 174}, 6, kSilhouette);                         // boot
    image.FillCircle(156, 94, 13, kSilhouette);                                    // head
    FillPolygon(image, {{130, 88}, {184, 84}, {186, 90}, {132, 96}}, kSilhouette); // hat brim
    FillPolygon(image, {{140, 88}, {172, 84}, {150, 58}, {120, 36}, {106, 34}, {128, 50}}, kSilhouette); // hat
}

} // namespace

bool WriteIcon(const std::string& path) {
    Image image(kSize, kSize);
    NightDisc(image);
    GlowingCircle(image);
    // A full moon behind her, so the silhouette stands out in the middle of the icon.
    image.FillCircle(146, 118, 58, Hex(0xfff1c4, 0.92f));
    WitchOnBroom(image);
    return image.SavePng(path);
}
