// Image drawing and PNG writing through libpng.
#include "image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

Rgba Mix(const Rgba& a, const Rgba& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba Hex(uint32_t rgb, float alpha) {
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha};
}

Image::Image(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(size_t(width) * height, fill) {}

void Image::Blend(int x, int y, const Rgba& c, float coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    Rgba& d = At(x, y);
    float sa = std::clamp(c.a * coverage, 0.0f, 1.0f);
    float oa = sa + d.a * (1 - sa);
    if (oa <= 0) {
        d = {0, 0, 0, 0};
        return;
    }
    d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
    d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
    d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
    d.a = oa;
}

void Image::FillRect(int x0, int y0, int x1, int y1, const Rgba& c) {
    for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) Blend(x, y, c);
}

void Image::FillCircle(float cx, float cy, float radius, const Rgba& c) {
    int x0 = int(std::floor(cx - radius - 1)), x1 = int(std::ceil(cx + radius + 1));
    int y0 = int(std::floor(cy - radius - 1)), y1 = int(std::ceil(cy + radius + 1));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            float cov = std::clamp(radius - d + 0.5f, 0.0f, 1.0f);
            if (cov > 0) Blend(x, y, c, cov);
        }
}

void Image::Ring(float cx, float cy, float radius, float width, const Rgba& c) {
    int r = int(radius + width + 2);
    for (int y = int(cy) - r; y <= int(cy) + r; ++y)
        for (int x = int(cx) - r; x <= int(cx) + r; ++x) {
            float d = std::fabs(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius);
            float cov = std::clamp(width * 0.5f - d + 0.5f, 0.0f, 1.0f);
            if (cov > 0) Blend(x, y, c, cov);
        }
}

void Image::Paste(const Image& src, int x, int y, Rgba tint) {
    for (int j = 0; j < src.Height(); ++j)
        for (int i = 0; i < src.Width(); ++i) {
            Rgba s = src.At(i, j);
            Blend(x + i, y + j, {s.r * tint.r, s.g * tint.g, s.b * tint.b, s.a * tint.a});
        }
}

bool Image::SavePng(const std::string& path) const {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_compression_level(png, 6);
    // Only the cheap row filters: Paeth and Average made unfiltering the largest cost of loading a race.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE | PNG_FILTER_SUB | PNG_FILTER_UP);
    png_set_IHDR(png, info, width_, height_, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(width_) * 4);
    auto q = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const Rgba& p = At(x, y);
            row[x * 4 + 0] = q(p.r);
            row[x * 4 + 1] = q(p.g);
            row[x * 4 + 2] = q(p.b);
            row[x * 4 + 3] = q(p.a);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

namespace {
uint32_t Hash(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}
} // namespace

float ValueNoise(float x, float y, int period, uint32_t seed) {
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    float fx = x - xi, fy = y - yi;
    auto lattice = [&](int i, int j) {
        if (period > 0) {
            i = ((i % period) + period) % period;
            j = ((j % period) + period) % period;
        }
        return (Hash(i, j, seed) & 0xFFFF) / 65535.0f;
    };
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = lattice(xi, yi), b = lattice(xi + 1, yi), c = lattice(xi, yi + 1), d = lattice(xi + 1, yi + 1);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float FractalNoise(float x, float y, int octaves, int period, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise(x, y, period, seed + uint32_t(o) * 101u);
        norm += amp;
        amp *= 0.5f;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
    }
    return sum / norm;
}
