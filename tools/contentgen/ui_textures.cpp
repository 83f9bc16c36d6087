// Title screen pictures and the HUD glyph strips.
#include <algorithm>
#include <cmath>
#include <string>

#include "image.h"
#include "text_render.h"
#include "ui_textures.h"

namespace {

constexpr float kPi = 3.14159265f;

// A ridge line across the picture from layered noise: hills at `base` +- `amp` pixels.
float Ridge(float x, float base, float amp, uint32_t seed) {
    return base - amp * FractalNoise(x / 180.0f, 0.5f, 4, 0, seed);
}

void PaintSky(Image& img) {
    Rgba top = Hex(0x1B1550), mid = Hex(0x6A3F8F), low = Hex(0xF29A76), horizon = Hex(0xFFD9A0);
    for (int y = 0; y < img.Height(); ++y) {
        float t = y / 470.0f;
        Rgba c = t < 0.5f ? Mix(top, mid, t * 2)
                          : (t < 0.85f ? Mix(mid, low, (t - 0.5f) / 0.35f)
                                       : Mix(low, horizon, std::min(1.0f, (t - 0.85f) / 0.15f)));
        for (int x = 0; x < img.Width(); ++x) img.At(x, y) = c;
    }
    for (int i = 0; i < 220; ++i) { // stars in the upper sky
        float sx = ValueNoise(i * 1.7f, 3.1f, 0, 71) * img.Width(), sy = ValueNoise(i * 2.3f, 9.7f, 0, 73) * 260;
        float b = 0.4f + 0.6f * ValueNoise(i * 5.1f, 1.3f, 0, 79);
        img.FillCircle(sx, sy, 0.6f + b, {1, 1, 0.9f, b * (1 - sy / 300)});
    }
    for (int r = 90; r > 0; r -= 3) img.FillCircle(980, 150, 46.0f + r, Rgba{1, 0.95f, 0.8f, 0.012f});
    img.FillCircle(980, 150, 46, Hex(0xFFF6DA));
    img.FillCircle(995, 140, 9, Hex(0xEDE2C0));
    img.FillCircle(968, 168, 6, Hex(0xEDE2C0));
    for (int y = 200; y < 430; ++y) // soft cloud bands
        for (int x = 0; x < img.Width(); ++x) {
            float n = FractalNoise(x / 160.0f, y / 40.0f, 4, 0, 83);
            float a = std::clamp((n - 0.55f) * 2.2f, 0.0f, 0.55f) * std::sin((y - 200) / 230.0f * kPi);
            img.Blend(x, y, Hex(0xFFC9B8), a);
        }
}

void PaintLand(Image& img) {
    struct Layer {
        float base, amp;
        uint32_t colour;
        uint32_t seed;
    };
    const Layer layers[] = {{470, 160, 0x7C5B9A, 91}, {540, 130, 0x4E3F7A, 93}, {610, 110, 0x2E2A58, 97}};
    for (const Layer& l : layers)
        for (int x = 0; x < img.Width(); ++x) {
            float top = Ridge(float(x), l.base, l.amp, l.seed);
            for (int y = std::max(0, int(top)); y < img.Height(); ++y) {
                float cov = std::clamp(y + 1 - top, 0.0f, 1.0f);
                img.Blend(x, y, Hex(l.colour), cov);
            }
        }
    // Lake with the moon's reflection.
    for (int y = 650; y < 720; ++y)
        for (int x = 0; x < img.Width(); ++x) {
            float ripple = 0.5f + 0.5f * std::sin(x / 9.0f + y * 1.3f + 3 * ValueNoise(x / 40.0f, y / 4.0f, 0, 101));
            Rgba water = Mix(Hex(0x28305E), Hex(0x3F4C86), ripple * 0.5f);
            float glint = std::exp(-std::pow((x - 980) / 40.0f, 2)) * ripple;
            img.At(x, y) = Mix(water, Hex(0xFFF0C8), glint * 0.8f);
        }
    // Windmill silhouette on the near hill.
    float hx = 260, hy = Ridge(hx, 610, 110, 97);
    for (int y = int(hy) - 120; y < int(hy) + 4; ++y)
        for (int x = int(hx) - 22; x <= int(hx) + 22; ++x) {
            float half = 9 + 13 * (y - (hy - 120)) / 120.0f;
            if (std::fabs(x - hx) <= half) img.Blend(x, y, Hex(0x1E1B40));
        }
    for (int b = 0; b < 4; ++b) {
        float a = kPi / 7 + b * kPi / 2;
        for (float r = 0; r < 95; r += 0.5f)
            for (float w = -5; w <= 5; w += 0.5f)
                img.Blend(int(hx + std::cos(a) * r - std::sin(a) * w),
                          int(hy - 118 + std::sin(a) * r + std::cos(a) * w), Hex(0x1E1B40),
                          r > 20 || std::fabs(w) < 2 ? 0.5f : 0.0f);
    }
    // A witch on her broom crossing the moon.
    float wx = 930, wy = 190;
    for (float t = -60; t < 45; t += 0.5f) img.FillCircle(wx + t, wy + t * 0.12f, 2.2f, Hex(0x1A1535));
    img.FillCircle(wx - 62, wy - 7, 9, Hex(0x1A1535));
    img.FillCircle(wx - 5, wy - 16, 10, Hex(0x1A1535));
    img.FillCircle(wx - 2, wy - 32, 7, Hex(0x1A1535));
    for (int i = 0; i < 26; ++i) img.FillCircle(wx - 2 - i * 0.5f, wy - 38 - i * 1.1f, 7.5f - i * 0.27f, Hex(0x1A1535));
}

Image TitleBack() {
    Image img(1280, 720, {0, 0, 0, 1});
    PaintSky(img);
    PaintLand(img);
    return img;
}

Image TitleLogo() {
    Image img(900, 300);
    LetterStyle style;
    style.top = Hex(0xFFF3B0);
    style.bottom = Hex(0xF07BC0);
    style.outline = Hex(0x3A1C5C);
    style.outlineWidth = 7;
    style.glow = Rgba{1.0f, 0.85f, 1.0f, 0.75f};
    style.glowRadius = 22;
    DrawLettering(img, "Orlenda", 190, FontFace::Display, 450, 140, style);
    // Sparkles around the name.
    const float sparkles[][3] = {{110, 60, 18}, {800, 70, 22}, {770, 250, 14}, {160, 240, 12}, {455, 35, 10}};
    for (const auto& s : sparkles) {
        for (float d = -s[2]; d <= s[2]; d += 0.5f) {
            float w = 1.6f * (1 - std::fabs(d) / s[2]);
            img.FillCircle(s[0] + d, s[1], w, Rgba{1, 1, 0.85f, 0.9f});
            img.FillCircle(s[0], s[1] + d, w, Rgba{1, 1, 0.85f, 0.9f});
        }
        img.FillCircle(s[0], s[1], 3, Rgba{1, 1, 1, 1});
    }
    return img;
}

Image TitleFog() {
    Image img(640, 360);
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            float n = FractalNoise(x / 90.0f, y / 50.0f, 5, 0, 131);
            float lowBand = std::clamp((y - 150) / 210.0f, 0.0f, 1.0f);
            float a = std::clamp((n - 0.35f) * 1.4f, 0.0f, 1.0f) * (0.12f + 0.45f * lowBand);
            img.At(x, y) = {0.95f, 0.93f, 1.0f, a};
        }
    return img;
}

Image PleaseEnter() {
    Image img(480, 96);
    LetterStyle style;
    style.top = Hex(0xFFFFFF);
    style.bottom = Hex(0xD8E8FF);
    style.outline = Hex(0x2A1E55);
    style.outlineWidth = 4;
    style.glow = Rgba{0.6f, 0.8f, 1.0f, 0.6f};
    style.glowRadius = 10;
    DrawLettering(img, "PRESS ENTER KEY", 44, FontFace::Sans, 240, 48, style);
    return img;
}

LetterStyle Medal(uint32_t light, uint32_t dark, uint32_t edge) {
    LetterStyle s;
    s.top = Hex(light);
    s.bottom = Hex(dark);
    s.outline = Hex(edge);
    s.outlineWidth = 5;
    s.glow = Rgba{0, 0, 0, 0.35f};
    s.glowRadius = 8;
    return s;
}

Image NumberStrip() {
    Image img(1500, 100);
    LetterStyle plain = Medal(0xFFFFFF, 0xDCE6F5, 0x1E2440);
    const char* cells[12] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".", ":"};
    for (int k = 0; k < 12; ++k) DrawLettering(img, cells[k], 84, FontFace::Sans, 100 * k + 50, 52, plain);
    DrawLettering(img, "1", 96, FontFace::Sans, 1250, 50, Medal(0xFFF4A0, 0xE0A020, 0x5A3A00));
    DrawLettering(img, "2", 96, FontFace::Sans, 1350, 50, Medal(0xFFFFFF, 0xA8B0BC, 0x343A48));
    DrawLettering(img, "3", 96, FontFace::Sans, 1450, 50, Medal(0xF6C89A, 0xB06A30, 0x4A2A10));
    return img;
}

Image RankStrip() {
    Image img(105, 240);
    const char* rows[4] = {"st", "nd", "rd", "th"};
    LetterStyle styles[4] = {Medal(0xFFF4A0, 0xE0A020, 0x5A3A00), Medal(0xFFFFFF, 0xA8B0BC, 0x343A48),
                             Medal(0xF6C89A, 0xB06A30, 0x4A2A10), Medal(0xFFFFFF, 0xDCE6F5, 0x1E2440)};
    for (int r = 0; r < 4; ++r) {
        Image row(105, 60);
        DrawLettering(row, rows[r], 44, FontFace::Sans, 52, 30, styles[r]);
        img.Paste(row, 0, 60 * r);
    }
    return img;
}

} // namespace

bool WriteUiTextures(const std::string& dir) {
    return TitleBack().SavePng(dir + "/titleback.png") && TitleLogo().SavePng(dir + "/titlelogo.png") &&
           TitleFog().SavePng(dir + "/titlefog.png") && PleaseEnter().SavePng(dir + "/pleaseenter.png") &&
           NumberStrip().SavePng(dir + "/number.png") && RankStrip().SavePng(dir + "/rank.png");
}
