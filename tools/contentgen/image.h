// RGBA images in memory, the drawing helpers the texture painters share, and PNG output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

Rgba Mix(const Rgba& a, const Rgba& b, float t);
Rgba Hex(uint32_t rgb, float alpha = 1.0f);

class Image {
public:
    Image(int width, int height, Rgba fill = {0, 0, 0, 0});

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgba& At(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
    const Rgba& At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }

    // Porter-Duff "over" of one colour onto a pixel; coverage scales the colour's alpha.
    void Blend(int x, int y, const Rgba& c, float coverage = 1.0f);
    void FillRect(int x0, int y0, int x1, int y1, const Rgba& c);
    // Anti-aliased disc and ring (centre and radii in pixels, fractional allowed).
    void FillCircle(float cx, float cy, float radius, const Rgba& c);
    void Ring(float cx, float cy, float radius, float width, const Rgba& c);
    // Pastes `src` with its alpha at (x, y), optionally tinted (multiplied) by `tint`.
    void Paste(const Image& src, int x, int y, Rgba tint = {1, 1, 1, 1});

    bool SavePng(const std::string& path) const;

private:
    int width_, height_;
    std::vector<Rgba> pixels_;
};

// Deterministic 2D value noise in [0, 1], tileable with the given period (in lattice cells).
float ValueNoise(float x, float y, int period, uint32_t seed);
float FractalNoise(float x, float y, int octaves, int period, uint32_t seed);
