// The glow blur: the effect glow target copied to half size and blurred by two X/Y pass pairs of
// 7-texel boxes (the fast graphics level: quarter size, two pairs of 5-texel boxes).
#pragma once

#include <memory>
#include <vector>

#include "platform/gpu/device.h"
#include "render/glow_region.h"
#include "simplelib/texture.h"

class BlurFilter {
public:
    void Load();
    void Release();
    void DrawTexture(float x, float y, SimpleLib::CTexture& input, float width, float height, const D3DXCOLOR& colour);
    // An opaque copy of input's colour, scaled bilinearly to the rectangle.
    void Copy(float x, float y, SimpleLib::CTexture& input, float width, float height);
    // Blurs the whole of source into targetB.
    void Apply(SimpleLib::CTexture& source);
    // Blurs only what the pixels of the `lit` rectangles (the rest of source being black) can reach,
    // keeping the rest of both targets black; returns the patches of targetB that may be non-black.
    std::vector<GlowArea> Apply(SimpleLib::CTexture& source, const std::vector<RECT>& lit);

    std::unique_ptr<gpu::Effect> effect;
    SimpleLib::CTexture targetA;
    SimpleLib::CTexture targetB;

private:
    // Blur targets of the back buffer's size / divisor, kept when they already are.
    void CreateTargets(std::uint32_t divisor);
    void Blur(const char* technique, float x, float y, SimpleLib::CTexture& input, float width, float height);
    void DrawPass(const char* technique, float x, float y, float width, float height);
    // Blacks out what the last Apply wrote and a ring around the patches, which the passes read.
    void ClearTargets(const std::vector<GlowArea>& next);

    std::vector<RECT> written_;              // texels that may not be black; all after (re)creation
    const std::vector<GlowArea>* patches_{}; // while Apply runs: the passes draw only these
};
