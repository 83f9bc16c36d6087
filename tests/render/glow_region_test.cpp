// The glow's rectangles: every texel and pixel the blur chain can light lies inside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/glow_region.h"

namespace {

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The two taps of a bilinear sample at a centre scaled from `from` to `to` cells, clamped.
void Taps(int cell, int from, int to, int* a, int* b) {
    double c = (cell + 0.5) * to / from - 0.5;
    *a = std::clamp(static_cast<int>(std::floor(c)), 0, to - 1);
    *b = std::clamp(static_cast<int>(std::floor(c)) + 1, 0, to - 1);
}

// Lights the cells of a w x h grid that a bilinear sample of `lit` (a W x H grid) reaches.
std::vector<bool> Resample(const std::vector<bool>& lit, int W, int H, int w, int h) {
    std::vector<bool> out(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int x0, x1, y0, y1;
            Taps(x, w, W, &x0, &x1);
            Taps(y, h, H, &y0, &y1);
            out[std::size_t(y) * w + x] = lit[std::size_t(y0) * W + x0] || lit[std::size_t(y0) * W + x1] ||
                                          lit[std::size_t(y1) * W + x0] || lit[std::size_t(y1) * W + x1];
        }
    return out;
}

bool InsideAny(const std::vector<GlowArea>& areas, bool shown, int x, int y) {
    for (const GlowArea& a : areas)
        if (Inside(shown ? a.shown : a.work, x, y)) return true;
    return false;
}

TEST(GlowRegion, PatchesHoldAllTheBlursLightAndAddEachPixelOnce) {
    const int W = 64, H = 36;
    const std::vector<std::vector<RECT>> cases = {{{20, 10, 23, 12}},
                                                  {{0, 0, 5, 3}, {60, 30, 64, 36}},
                                                  {{31, 17, 32, 18}, {36, 17, 38, 20}},
                                                  {{0, 0, 2, 2},
                                                   {12, 0, 14, 2},
                                                   {24, 0, 26, 2},
                                                   {36, 0, 38, 2},
                                                   {48, 0, 50, 2},
                                                   {60, 0, 62, 2},
                                                   {0, 30, 2, 32},
                                                   {12, 30, 14, 32},
                                                   {24, 30, 26, 32},
                                                   {36, 30, 38, 32}}};
    for (int divisor : {2, 4})
        for (int pairs : {1, 2, 5})
            for (const std::vector<RECT>& lit : cases) {
                const int w = W / divisor, h = H / divisor;
                std::vector<bool> screen(std::size_t(W) * H);
                for (const RECT& r : lit)
                    for (int y = r.top; y < r.bottom; ++y)
                        for (int x = r.left; x < r.right; ++x) screen[std::size_t(y) * W + x] = true;
                std::vector<bool> texels = Resample(screen, W, H, w, h);
                for (int pass = 0; pass < 2 * pairs; ++pass) { // a 5-tap box along x, then along y
                    std::vector<bool> next(texels.size());
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x)
                            for (int d = -2; d <= 2; ++d) {
                                int sx = pass % 2 ? x : std::clamp(x + d, 0, w - 1);
                                int sy = pass % 2 ? std::clamp(y + d, 0, h - 1) : y;
                                if (texels[std::size_t(sy) * w + sx]) next[std::size_t(y) * w + x] = true;
                            }
                    texels = next;
                }
                const std::vector<GlowArea> areas = PlanGlowAreas(lit, W, H, w, h, 2 * pairs);
                std::vector<bool> composite = Resample(texels, w, h, W, H);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_TRUE(!texels[std::size_t(y) * w + x] || InsideAny(areas, false, x, y)) << x << "," << y;
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < W; ++x) {
                        int covering = 0;
                        for (const GlowArea& a : areas) covering += Inside(a.shown, x, y);
                        ASSERT_LE(covering, 1) << "added twice at " << x << "," << y;
                        ASSERT_TRUE(!composite[std::size_t(y) * W + x] || covering == 1) << x << "," << y;
                    }
                EXPECT_LE(areas.size(), 8u);
            }
    EXPECT_TRUE(PlanGlowAreas({RECT{}}, W, H, 32, 18, 10).empty());
    // Two far-apart sparks stay two small patches rather than one spanning the screen.
    EXPECT_EQ(PlanGlowAreas({RECT{0, 0, 2, 2}, RECT{1200, 700, 1202, 702}}, 1280, 720, 640, 360, 10).size(), 2u);
}

TEST(GlowRegion, QuadBoundsHoldItsCornersAndStopAtTheNearPlane) {
    D3DXMATRIX view, projection, viewProjection, world;
    D3DXMatrixIdentity(&view);
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 16.0f / 9.0f, 1.0f, 100.0f);
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    D3DXMatrixTranslation(&world, 0, 0, 10);
    const D3DXVECTOR3 quad[4] = {{-1, 1, 0}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0}};
    GlowRegion region;
    region.Begin(viewProjection, 1280, 720);
    EXPECT_TRUE(region.Rects().empty());
    region.AddQuad(world, quad);
    // Half-height 1 at distance 10 under a 90 degree view: a tenth of the half screen around the centre.
    ASSERT_EQ(region.Rects().size(), 1u);
    const RECT r = region.Rects()[0];
    EXPECT_TRUE(r.left <= 640 - 36 && r.right >= 640 + 36 && r.top <= 360 - 36 && r.bottom >= 360 + 36);
    EXPECT_TRUE(r.left >= 640 - 44 && r.right <= 640 + 44 && r.top >= 360 - 44 && r.bottom <= 360 + 44);

    // Cut at the near plane (z = 1): the half in front of it is drawn and counted, the rest is not.
    D3DXMatrixTranslation(&world, 0, 0, 0);
    const D3DXVECTOR3 passing[4] = {{0.2f, 0.2f, 0.5f}, {0.2f, 0.2f, 2}, {0.2f, 0.4f, 2}, {0.2f, 0.4f, 0.5f}};
    region.Begin(viewProjection, 1280, 720);
    region.AddQuad(world, passing);
    ASSERT_EQ(region.Rects().size(), 1u);
    const RECT cut = region.Rects()[0];
    EXPECT_TRUE(cut.left >= 640 && cut.bottom <= 360 && cut.right < 1280) << cut.left << " " << cut.right;
    EXPECT_GT(cut.right - cut.left, 20);
    const D3DXVECTOR3 behind[4] = {{-1, 1, -3}, {1, 1, -3}, {1, -1, -3}, {-1, -1, -3}};
    region.Begin(viewProjection, 1280, 720);
    region.AddQuad(world, behind);
    EXPECT_TRUE(region.Rects().empty());
    region.End(); // a frame without glow: quads are not measured
    region.AddQuad(world, passing);
    EXPECT_TRUE(region.Rects().empty());
}

} // namespace
