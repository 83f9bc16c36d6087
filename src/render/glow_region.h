// Where this frame's glow can be non-black: the screen bounds of the effect quads drawn into the
// glow target, and the rectangles the blur and the composite must cover to reproduce the whole glow.
//
// The glow target is black outside the quads, and a blur pass spreads light only a few texels, so
// every pass can keep to a rectangle around the quads and give the same pixels as a whole-target
// pass. The rectangles are conservative: a quad reaching behind the camera counts as the whole screen.
#pragma once

#include <vector>

#include "platform/gpu/d3d_types.h"
#include "platform/math/d3dx_math.h"

// Rectangles are in pixels (or texels), right and bottom excluded; an empty one has no area.
bool RectEmpty(const RECT& rect);
RECT RectUnion(const RECT& a, const RECT& b);
RECT RectExpand(const RECT& rect, int margin, int width, int height);

// The texels of a width x height target that a copy of the screen (screenWidth x screenHeight,
// sampled bilinearly) can light from the pixels of `screen`, grown by `reach` texels for the blur.
RECT TargetRectFromScreen(const RECT& screen, int screenWidth, int screenHeight, int width, int height, int reach);
// The screen pixels whose bilinear sample of a width x height target touches a texel of `target`.
RECT ScreenRectFromTarget(const RECT& target, int width, int height, int screenWidth, int screenHeight);

// One patch of glow: the texels its blur passes write and the screen pixels its composite adds to.
struct GlowArea {
    RECT work;
    RECT shown;
};
// Patches that together hold all the light of the `lit` screen rectangles, merged where their screen
// pixels would overlap (the composite adds, so no pixel may be added twice) and down to a few draws.
std::vector<GlowArea> PlanGlowAreas(const std::vector<RECT>& lit, int screenWidth, int screenHeight, int width,
                                    int height, int reach);

class GlowRegion {
public:
    // Starts an empty region for quads seen through viewProjection (the effect shader's mV * mP)
    // on a width x height screen.
    void Begin(const D3DXMATRIX& viewProjection, int width, int height);
    // Stops recording: quads added until the next Begin (a level without glow, effects drawn outside
    // the glow pass) cost nothing.
    void End() { recording_ = false; }
    // Adds a quad of four local corners placed by `world`, while recording.
    void AddQuad(const D3DXMATRIX& world, const D3DXVECTOR3 (&corners)[4]);
    // The screen rectangles holding every quad since Begin; overlapping quads share one.
    const std::vector<RECT>& Rects() const { return rects_; }

private:
    void Add(const RECT& rect);

    D3DXMATRIX viewProjection_;
    int width_ = 0, height_ = 0;
    bool recording_ = false;
    std::vector<RECT> rects_;
};
