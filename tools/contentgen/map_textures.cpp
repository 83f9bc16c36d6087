// Textures of the scenery: the ground painted from the height formula, and tileable materials.
#include <algorithm>
#include <cmath>

#include "image.h"
#include "map_models.h"
#include "terrain.h"

namespace {

Rgba GroundColour(double x, double z, float u, float v) {
    double h = terrain::Height(x, z);
    double sx = terrain::Height(x + 3, z) - terrain::Height(x - 3, z);
    double sz = terrain::Height(x, z + 3) - terrain::Height(x, z - 3);
    float slope = float(std::hypot(sx, sz) / 6.0);
    float n1 = FractalNoise(u * 32, v * 32, 4, 32, 11);
    float n2 = FractalNoise(u * 8, v * 8, 3, 8, 23);
    float fine = ValueNoise(u * 512, v * 512, 512, 5);
    if (h < terrain::kLakeLevel + 0.6) {
        Rgba deep = Hex(0x2C6E9E), shallow = Hex(0x58A6C8);
        return Mix(deep, shallow, std::clamp(n1 * 1.3f - 0.1f, 0.0f, 1.0f));
    }
    double riverX = -820 + 90 * std::sin(z / 210.0);
    if (std::fabs(x - riverX) < 14 + 6 * n2 && h < 34) return Mix(Hex(0x3C80B0), Hex(0x6AB4D4), fine * 0.5f);
    Rgba grass = Mix(Hex(0x5FA83A), Hex(0x8CC24A), n1);
    grass = Mix(grass, Hex(0x3F7F2C), std::clamp(float(h - 60) / 80.0f, 0.0f, 0.6f));
    if (n2 > 0.62f && h > 20 && h < 120) grass = Mix(grass, Hex(0x2E6425), std::clamp((n2 - 0.62f) * 8, 0.0f, 1.0f));
    if (h < terrain::kLakeLevel + 4) grass = Mix(Hex(0xE2D39A), grass, float(h - terrain::kLakeLevel - 0.6) / 3.4f);
    double village = std::hypot(x + 300, z - 600);
    if (village < 150) {
        Rgba square = Mix(Hex(0xC9B48A), Hex(0xAE9873), fine);
        grass = Mix(square, grass, std::clamp(float(village - 90) / 60.0f + n1 * 0.3f, 0.0f, 1.0f));
    }
    Rgba rock = Mix(Hex(0x8A8172), Hex(0xA69C8C), n1);
    grass = Mix(grass, rock, std::clamp((slope - 0.55f) * 2.5f, 0.0f, 1.0f));
    if (h > 140) grass = Mix(grass, Hex(0xF4F6FA), std::clamp(float(h - 140 - n2 * 30) / 25.0f, 0.0f, 1.0f));
    float shade = 0.92f + 0.16f * fine;
    return {grass.r * shade, grass.g * shade, grass.b * shade, 1};
}

} // namespace

Image ShippedGroundTexture() {
    const int size = 1024;
    Image img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            double wx = -terrain::kHalfSize + u * 2 * terrain::kHalfSize;
            double wz = terrain::kHalfSize - v * 2 * terrain::kHalfSize;
            img.At(x, y) = GroundColour(wx, wz, u, v);
        }
    return img;
}

Rgba ShippedGroundColour(double x, double z) {
    const double size = 2.0 * terrain::kHalfSize;
    return GroundColour(x, z, float((x + terrain::kHalfSize) / size), float((terrain::kHalfSize - z) / size));
}

namespace {

// Light plaster: near-white with soft blotches; tinted by each material's colour.
Image Plaster() {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            float n = FractalNoise(x / 16.0f, y / 16.0f, 3, 8, 31);
            float g = 0.86f + 0.14f * n;
            img.At(x, y) = {g, g, g, 1};
        }
    return img;
}

Image RoofTiles() {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            int row = y / 16;
            float fx = std::fmod(x + (row % 2) * 8.0f, 16.0f) / 16.0f, fy = (y % 16) / 16.0f;
            float edge = std::min({fx, 1 - fx, fy * 1.5f});
            float n = ValueNoise(float(x / 16 + row * 7), float(row), 0, 41);
            float g = (0.72f + 0.22f * n) * (0.65f + 0.35f * std::clamp(edge * 6, 0.0f, 1.0f)) * (1.0f - 0.2f * fy);
            img.At(x, y) = {g, g, g, 1};
        }
    return img;
}

Image Stone() {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            int row = y / 21;
            float fx = std::fmod(x + (row % 2) * 16.0f, 32.0f), fy = float(y % 21);
            bool mortar = fx < 2 || fy < 2;
            float n = ValueNoise(float((x + (row % 2) * 16) / 32), float(row), 0, 53);
            float g = mortar ? 0.62f : 0.8f + 0.2f * n + 0.05f * ValueNoise(x / 3.0f, y / 3.0f, 0, 7);
            img.At(x, y) = {g, g, g, 1};
        }
    return img;
}

Image Wood() {
    Image img(128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            float grain = 0.5f + 0.5f * std::sin(x * 0.9f + 4 * FractalNoise(x / 32.0f, y / 8.0f, 3, 4, 61));
            float plank = (y % 16 == 0) ? 0.6f : 1.0f;
            float g = (0.72f + 0.2f * grain) * plank;
            img.At(x, y) = {g, g * 0.96f, g * 0.92f, 1};
        }
    return img;
}

} // namespace

bool WriteMapTextures(const std::string& dir) {
    return ShippedGroundTexture().SavePng(dir + "/ground.png") && Plaster().SavePng(dir + "/plaster.png") &&
           RoofTiles().SavePng(dir + "/roof.png") && Stone().SavePng(dir + "/stone.png") &&
           Wood().SavePng(dir + "/wood.png");
}
