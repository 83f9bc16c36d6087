// Effect images: white shapes with alpha, so the colours the game gives each effect tint them.
#include <algorithm>
#include <cmath>

#include "effect_textures.h"
#include "image.h"

namespace {

constexpr float kPi = 3.14159265f;
const Rgba kWhite{1, 1, 1, 1};

void Line(Image& img, float x0, float y0, float x1, float y1, float width, Rgba c) {
    int bx0 = int(std::min(x0, x1) - width - 1), bx1 = int(std::max(x0, x1) + width + 1);
    int by0 = int(std::min(y0, y1) - width - 1), by1 = int(std::max(y0, y1) + width + 1);
    float dx = x1 - x0, dy = y1 - y0, len2 = std::max(1e-6f, dx * dx + dy * dy);
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            float px = x + 0.5f - x0, py = y + 0.5f - y0;
            float t = std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f);
            float d = std::hypot(px - t * dx, py - t * dy);
            float cov = std::clamp(width * 0.5f - d + 0.5f, 0.0f, 1.0f);
            if (cov > 0) img.Blend(x, y, c, cov);
        }
}

Image LightBall() {
    Image img(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float d = std::hypot(x + 0.5f - 32, y + 0.5f - 32) / 32;
            float a = std::clamp(1 - d, 0.0f, 1.0f);
            img.At(x, y) = {1, 1, 1, std::pow(a, 1.6f) + 0.6f * std::pow(a, 6.0f)};
            img.At(x, y).a = std::min(1.0f, img.At(x, y).a);
        }
    return img;
}

Image MagicCircle() {
    const int s = 256;
    const float c = s / 2.0f;
    Image img(s, s);
    img.Ring(c, c, 122, 4, kWhite);
    img.Ring(c, c, 112, 2, kWhite);
    img.Ring(c, c, 80, 3, kWhite);
    img.Ring(c, c, 30, 2, kWhite);
    // Rune marks between the two outer rings.
    for (int i = 0; i < 24; ++i) {
        float a = 2 * kPi * i / 24, r0 = 114.5f, r1 = 120;
        float ca = std::cos(a), sa = std::sin(a);
        int kind = i % 3;
        Line(img, c + ca * r0, c + sa * r0, c + ca * r1, c + sa * r1, 1.6f, kWhite);
        if (kind == 1)
            Line(img, c + ca * 117 - sa * 3, c + sa * 117 + ca * 3, c + ca * 117 + sa * 3, c + sa * 117 - ca * 3, 1.4f,
                 kWhite);
        if (kind == 2) img.FillCircle(c + std::cos(a + 0.13f) * 117, c + std::sin(a + 0.13f) * 117, 1.6f, kWhite);
    }
    // Hexagram from two triangles, and a star of lines to the inner ring.
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k) {
            float a0 = -kPi / 2 + t * kPi / 3 + 2 * kPi * k / 3, a1 = a0 + 2 * kPi / 3;
            Line(img, c + std::cos(a0) * 110, c + std::sin(a0) * 110, c + std::cos(a1) * 110, c + std::sin(a1) * 110,
                 2.5f, kWhite);
        }
    for (int k = 0; k < 6; ++k) {
        float a = -kPi / 2 + k * kPi / 3;
        img.FillCircle(c + std::cos(a) * 110, c + std::sin(a) * 110, 6, kWhite);
        Line(img, c + std::cos(a) * 30, c + std::sin(a) * 30, c + std::cos(a + kPi / 3) * 55,
             c + std::sin(a + kPi / 3) * 55, 1.5f, kWhite);
    }
    // A faint fill so the circle reads as a disc of light.
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            float d = std::hypot(x + 0.5f - c, y + 0.5f - c);
            if (d < 124) img.Blend(x, y, Rgba{1, 1, 1, 0.10f + 0.12f * d / 124});
        }
    return img;
}

Image Sparkle(int size, float arms, float core) {
    Image img(size, size);
    float c = size / 2.0f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = std::fabs(x + 0.5f - c) / c, dy = std::fabs(y + 0.5f - c) / c;
            float ray = std::max(std::clamp(1 - dx, 0.0f, 1.0f) * std::exp(-dy * arms),
                                 std::clamp(1 - dy, 0.0f, 1.0f) * std::exp(-dx * arms));
            float glow = std::clamp(1 - std::hypot(dx, dy), 0.0f, 1.0f);
            float a = std::min(1.0f, ray * ray + std::pow(glow, core));
            img.At(x, y) = {1, 1, 1, a};
        }
    return img;
}

Image Trajectory() {
    Image img(32, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 32; ++x) {
            float across = 1 - std::fabs(x + 0.5f - 16) / 16, along = 1 - y / 128.0f;
            img.At(x, y) = {1, 1, 1, std::pow(across, 2.0f) * along};
        }
    return img;
}

Image PlayerCircle() {
    const int s = 128;
    const float c = 64;
    Image img(s, s);
    img.Ring(c, c, 58, 4, kWhite);
    img.Ring(c, c, 46, 2, kWhite);
    for (int i = 0; i < 16; ++i) {
        float a = 2 * kPi * i / 16;
        float r1 = i % 4 == 0 ? 38 : 43;
        Line(img, c + std::cos(a) * 47, c + std::sin(a) * 47, c + std::cos(a) * r1, c + std::sin(a) * r1, 2, kWhite);
    }
    for (int k = 0; k < 4; ++k) {
        float a = k * kPi / 2 + kPi / 4;
        img.FillCircle(c + std::cos(a) * 58, c + std::sin(a) * 58, 5, kWhite);
    }
    return img;
}

// Points to the top of the image (texture v = 0), which is +Z on the game's flat quad.
Image Arrow() {
    Image img(64, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 64; ++x) {
            float px = x + 0.5f - 32, py = y + 0.5f;
            float head = py < 60 ? (py / 60) * 30 - std::fabs(px) : -1; // triangle, tip at the top
            float shaft = (py >= 56 && py < 122) ? 11 - std::fabs(px) : -1;
            float edge = std::max(head, shaft);
            float a = std::clamp(edge + 0.5f, 0.0f, 1.0f);
            float shade = 0.8f + 0.2f * (1 - py / 128);
            img.At(x, y) = {shade, shade, shade, a};
        }
    return img;
}

} // namespace

Image MagicCircleImage() { return MagicCircle(); }

bool WriteEffectTextures(const std::string& dir) {
    return LightBall().SavePng(dir + "/lightball.png") && MagicCircle().SavePng(dir + "/magiccircle.png") &&
           Sparkle(64, 9, 3).SavePng(dir + "/broomeffect.png") && Trajectory().SavePng(dir + "/trajectory.png") &&
           PlayerCircle().SavePng(dir + "/pmcircle.png") && Arrow().SavePng(dir + "/arrow.png") &&
           Sparkle(64, 5, 6).SavePng(dir + "/cross.png");
}
