// The screen bounds of the glowing quads and the blur's rectangles around them.
#include "render/glow_region.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
// A corner this close to the camera plane projects without bound.
constexpr float kMinDepth = 1e-4f;
// Pixels added around projected bounds for the rasterizer's and the CPU's different rounding.
constexpr int kRoundingMargin = 2;
// Each patch costs a draw per blur pass: past this many, the closest ones are merged.
constexpr std::size_t kMaxAreas = 8;

bool Overlap(const RECT& a, const RECT& b) {
    return !RectEmpty(a) && !RectEmpty(b) && a.left < b.right && b.left < a.right && a.top < b.bottom &&
           b.top < a.bottom;
}

std::int64_t Area(const RECT& r) {
    return RectEmpty(r) ? 0 : std::int64_t(r.right - r.left) * std::int64_t(r.bottom - r.top);
}

int FloorScaled(int value, int to, int from) {
    return static_cast<int>(std::floor(static_cast<double>(value) * to / from));
}
int CeilScaled(int value, int to, int from) {
    return static_cast<int>(std::ceil(static_cast<double>(value) * to / from));
}
} // namespace

bool RectEmpty(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

RECT RectUnion(const RECT& a, const RECT& b) {
    if (RectEmpty(a)) return b;
    if (RectEmpty(b)) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT RectExpand(const RECT& rect, int margin, int width, int height) {
    if (RectEmpty(rect)) return RECT{};
    RECT out{std::max(rect.left - margin, 0), std::max(rect.top - margin, 0), std::min(rect.right + margin, width),
             std::min(rect.bottom + margin, height)};
    return RectEmpty(out) ? RECT{} : out;
}

RECT TargetRectFromScreen(const RECT& screen, int screenWidth, int screenHeight, int width, int height, int reach) {
    if (RectEmpty(screen) || screenWidth <= 0 || screenHeight <= 0) return RECT{};
    // A texel's bilinear sample reads the two pixels around its centre: one texel more each side
    // covers every texel that can see a pixel of the rectangle.
    RECT texels{FloorScaled(screen.left, width, screenWidth) - 1, FloorScaled(screen.top, height, screenHeight) - 1,
                CeilScaled(screen.right, width, screenWidth) + 1, CeilScaled(screen.bottom, height, screenHeight) + 1};
    return RectExpand(texels, reach, width, height);
}

RECT ScreenRectFromTarget(const RECT& target, int width, int height, int screenWidth, int screenHeight) {
    if (RectEmpty(target) || width <= 0 || height <= 0) return RECT{};
    // A pixel's bilinear sample reads the two texels around it, so one texel of slack each side.
    RECT pixels{FloorScaled(target.left - 1, screenWidth, width), FloorScaled(target.top - 1, screenHeight, height),
                CeilScaled(target.right + 1, screenWidth, width), CeilScaled(target.bottom + 1, screenHeight, height)};
    return RectExpand(pixels, 0, screenWidth, screenHeight);
}

std::vector<GlowArea> PlanGlowAreas(const std::vector<RECT>& lit, int screenWidth, int screenHeight, int width,
                                    int height, int reach) {
    std::vector<GlowArea> areas;
    auto shownOf = [&](const RECT& work) {
        return ScreenRectFromTarget(work, width, height, screenWidth, screenHeight);
    };
    for (const RECT& rect : lit) {
        RECT work = TargetRectFromScreen(rect, screenWidth, screenHeight, width, height, reach);
        if (!RectEmpty(work)) areas.push_back({work, shownOf(work)});
    }
    auto merge = [&](std::size_t i, std::size_t j) {
        areas[i].work = RectUnion(areas[i].work, areas[j].work);
        areas[i].shown = shownOf(areas[i].work);
        areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(j));
    };
    for (;;) {
        bool merged = false;
        for (std::size_t i = 0; i < areas.size() && !merged; ++i)
            for (std::size_t j = i + 1; j < areas.size() && !merged; ++j)
                if (Overlap(areas[i].shown, areas[j].shown)) merge(i, j), merged = true;
        if (merged) continue;
        if (areas.size() <= kMaxAreas) return areas;
        // Too many patches: merge the pair whose union adds the least area, then look for overlaps again.
        std::size_t bestI = 0, bestJ = 1;
        std::int64_t best = INT64_MAX;
        for (std::size_t i = 0; i < areas.size(); ++i)
            for (std::size_t j = i + 1; j < areas.size(); ++j) {
                std::int64_t added =
                    Area(RectUnion(areas[i].work, areas[j].work)) - Area(areas[i].work) - Area(areas[j].work);
                if (added < best) best = added, bestI = i, bestJ = j;
            }
        merge(bestI, bestJ);
    }
}

void GlowRegion::Begin(const D3DXMATRIX& viewProjection, int width, int height) {
    viewProjection_ = viewProjection;
    width_ = width;
    height_ = height;
    recording_ = true;
    rects_.clear();
}

void GlowRegion::Add(const RECT& rect) {
    if (RectEmpty(rect)) return;
    RECT grown = rect;
    // Fold in every rectangle the new one overlaps, so the list stays short and the glow target's
    // clear touches each pixel once.
    for (std::size_t i = 0; i < rects_.size();) {
        if (Overlap(rects_[i], grown)) {
            grown = RectUnion(grown, rects_[i]);
            rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(i));
            i = 0;
        } else {
            ++i;
        }
    }
    rects_.push_back(grown);
}

void GlowRegion::AddQuad(const D3DXMATRIX& world, const D3DXVECTOR3 (&corners)[4]) {
    if (!recording_) return;
    D3DXMATRIX toClip;
    D3DXMatrixMultiply(&toClip, &world, &viewProjection_);
    D3DXVECTOR4 clip[4];
    for (int i = 0; i < 4; ++i) D3DXVec3Transform(&clip[i], &corners[i], &toClip);
    // The rasterizer draws only what lies past the near plane (Direct3D clip z >= 0), so the quad is
    // cut there first: a spark drifting past the camera then still covers only its visible part.
    D3DXVECTOR4 visible[8];
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        const D3DXVECTOR4& a = clip[i];
        const D3DXVECTOR4& b = clip[(i + 1) % 4];
        if (a.z >= 0) visible[count++] = a;
        if ((a.z >= 0) != (b.z >= 0)) {
            float t = a.z / (a.z - b.z);
            visible[count++] = D3DXVECTOR4(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, 0.0f, a.w + (b.w - a.w) * t);
        }
    }
    float left = 0, top = 0, right = 0, bottom = 0;
    for (int i = 0; i < count; ++i) {
        // In front of the near plane w is positive; anything else (a broken projection) is unbounded.
        float x = (visible[i].x / visible[i].w * 0.5f + 0.5f) * static_cast<float>(width_);
        float y = (0.5f - visible[i].y / visible[i].w * 0.5f) * static_cast<float>(height_);
        if (!(visible[i].w > kMinDepth) || !std::isfinite(x) || !std::isfinite(y)) {
            Add(RECT{0, 0, width_, height_});
            return;
        }
        left = i ? std::min(left, x) : x, right = i ? std::max(right, x) : x;
        top = i ? std::min(top, y) : y, bottom = i ? std::max(bottom, y) : y;
    }
    if (count == 0) return; // wholly behind the near plane: nothing is drawn
    // Far off screen the floats exceed int: clamp before converting.
    auto pixel = [](float v, int limit) {
        return static_cast<int>(std::clamp(v, -1.0f, static_cast<float>(limit) + 1.0f));
    };
    RECT quad{pixel(std::floor(left), width_), pixel(std::floor(top), height_), pixel(std::ceil(right), width_),
              pixel(std::ceil(bottom), height_)};
    Add(RectExpand(RECT{quad.left, quad.top, quad.right + 1, quad.bottom + 1}, kRoundingMargin, width_, height_));
}
