// The glow blur: copies the glow target into a smaller texture and blurs it in X/Y pass pairs.
#include "render/blur_filter.h"

#include "render/graphics_device.h"
#include "render/graphics_quality.h"
#include "render/shader_manager.h"

namespace {
constexpr const char* kBlurFile = "Shader/Blur.fx";

// The glow's size on screen comes from the blur's spread in screen pixels: two pairs of 7-texel boxes
// at half size spread about 6 pixels; the fast level's two pairs of 5-texel boxes at quarter size
// spread about 8, more coarsely, for a quarter of the pixels.
struct BlurShape {
    std::uint32_t divisor; // blur targets are the back buffer's size divided by this
    int passPairs;
    int radius;        // texels either side of the centre that one pass averages
    const char* xPass; // the techniques of that box along x and along y
    const char* yPass;
};

BlurShape ShapeFor(GraphicsQuality quality) {
    return quality == GraphicsQuality::Fast ? BlurShape{4, 2, 2, "XBlurTech", "YBlurTech"}
                                            : BlurShape{2, 2, 3, "XBlur7Tech", "YBlur7Tech"};
}

D3DXVECTOR4 TexelSizeOf(const SimpleLib::CTexture& input) {
    float w = input.info.Width ? static_cast<float>(input.info.Width) : 1.0f;
    float h = input.info.Height ? static_cast<float>(input.info.Height) : 1.0f;
    return D3DXVECTOR4(1.0f / w, 1.0f / h, 0.0f, 0.0f);
}
} // namespace

// Each level draws with a few of the file's techniques; the driver keeps megabytes for every program
// built, so the others are built only if the level changes.
void BlurFilter::Load() {
    effect.reset();
    const GraphicsQuality quality = GraphicsDevice::Instance().quality;
    const BlurShape shape = ShapeFor(quality);
    effect = LoadEffectFile(kBlurFile, quality == GraphicsQuality::Low
                                           ? std::vector<std::string>{"CopyTech"}
                                           : std::vector<std::string>{"NormalTech", shape.xPass, shape.yPass});
    if (!effect) return;
    CreateTargets(shape.divisor);
}

void BlurFilter::CreateTargets(std::uint32_t divisor) {
    const D3DPRESENT_PARAMETERS& pp = GraphicsDevice::Instance().presentParameters;
    std::uint32_t w = pp.BackBufferWidth / divisor;
    std::uint32_t h = pp.BackBufferHeight / divisor;
    if (targetA.surface && targetA.info.Width == w && targetA.info.Height == h) return;
    targetA.Release();
    targetB.Release();
    targetA.Create(w, h, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    targetB.Create(w, h, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    written_.assign(1, RECT{0, 0, static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)});
}

void BlurFilter::Release() {
    targetA.Release();
    targetB.Release();
    effect.reset();
}

void BlurFilter::DrawTexture(float x, float y, SimpleLib::CTexture& input, float width, float height,
                             const D3DXCOLOR& colour) {
    if (!effect) return;
    D3DXVECTOR4 texel = TexelSizeOf(input);
    D3DXVECTOR4 tint(colour.r, colour.g, colour.b, colour.a);
    effect->SetVector("TexelSize", &texel);
    effect->SetTexture("InputTex", input.texture.get());
    effect->SetVector("Color", &tint);
    DrawPass("NormalTech", x, y, width, height);
}

void BlurFilter::Copy(float x, float y, SimpleLib::CTexture& input, float width, float height) {
    Blur("CopyTech", x, y, input, width, height);
}

void BlurFilter::Blur(const char* technique, float x, float y, SimpleLib::CTexture& input, float width, float height) {
    if (!effect) return;
    D3DXVECTOR4 texel = TexelSizeOf(input);
    effect->SetVector("TexelSize", &texel);
    effect->SetTexture("InputTex", input.texture.get());
    DrawPass(technique, x, y, width, height);
}

void BlurFilter::DrawPass(const char* technique, float x, float y, float width, float height) {
    // Copies and the composite read clamped to the image, like the blur taps: a glow at one screen edge
    // must not bleed in at the opposite one (and a software rasterizer wraps a 1280 x 720 image slowly).
    gpu::Device& device = *GraphicsDevice::Instance().device;
    DWORD u = device.GetSamplerState(0, D3DSAMP_ADDRESSU), v = device.GetSamplerState(0, D3DSAMP_ADDRESSV);
    device.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    unsigned passes = 0;
    effect->SetTechnique(technique);
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    if (!patches_) {
        GraphicsDevice::Instance().DrawScreenQuad(x, y, width, height, 1.0f, 1.0f);
    } else {
        for (const GlowArea& patch : *patches_) {
            device.SetScissorRect(&patch.work);
            GraphicsDevice::Instance().DrawScreenQuad(x, y, width, height, 1.0f, 1.0f);
        }
        device.SetScissorRect(nullptr);
    }
    effect->EndPass();
    effect->End();
    device.SetSamplerState(0, D3DSAMP_ADDRESSU, u);
    device.SetSamplerState(0, D3DSAMP_ADDRESSV, v);
}

void BlurFilter::Apply(SimpleLib::CTexture& source) {
    const D3DPRESENT_PARAMETERS& pp = GraphicsDevice::Instance().presentParameters;
    Apply(source,
          {RECT{0, 0, static_cast<std::int32_t>(pp.BackBufferWidth), static_cast<std::int32_t>(pp.BackBufferHeight)}});
}

void BlurFilter::ClearTargets(const std::vector<GlowArea>& next) {
    const int w = static_cast<int>(targetA.info.Width), h = static_cast<int>(targetA.info.Height);
    std::vector<RECT> areas = written_;
    // A pass reads two texels either side of what it writes, the composite one.
    for (const GlowArea& patch : next) areas.push_back(RectExpand(patch.work, 2, w, h));
    if (areas.empty()) return;
    gpu::Device& device = *GraphicsDevice::Instance().device;
    for (SimpleLib::CTexture* target : {&targetA, &targetB}) {
        device.SetRenderTarget(0, target->surface);
        device.ClearRects(areas, 0xFF000000);
    }
}

std::vector<GlowArea> BlurFilter::Apply(SimpleLib::CTexture& source, const std::vector<RECT>& lit) {
    // Without the effect or its targets there is nothing to blur into; targetB keeps what it had.
    if (!effect || !targetA.surface || !targetB.surface) return {};
    const BlurShape shape = ShapeFor(GraphicsDevice::Instance().quality);
    CreateTargets(shape.divisor);
    if (!targetA.surface || !targetB.surface) return {};
    const D3DPRESENT_PARAMETERS& pp = GraphicsDevice::Instance().presentParameters;
    // Each pass pair spreads light `radius` texels along each axis.
    const std::vector<GlowArea> patches = PlanGlowAreas(
        lit, static_cast<int>(pp.BackBufferWidth), static_cast<int>(pp.BackBufferHeight),
        static_cast<int>(targetA.info.Width), static_cast<int>(targetA.info.Height), shape.radius * shape.passPairs);
    gpu::Device& device = *GraphicsDevice::Instance().device;
    std::shared_ptr<gpu::Surface> previous = device.GetRenderTarget(0);
    ClearTargets(patches);
    written_.clear();
    for (const GlowArea& patch : patches) written_.push_back(patch.work);
    if (patches.empty()) {
        device.SetRenderTarget(0, previous);
        return patches;
    }
    device.SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

    // Every pass writes alpha 1, so the src-alpha blend would hand back the source unchanged: turning
    // it off gives the same pixels without reading the target back on a software rasterizer.
    DWORD blending = device.GetRenderState(D3DRS_ALPHABLENDENABLE);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    float aw = static_cast<float>(targetA.info.Width), ah = static_cast<float>(targetA.info.Height);
    float bw = static_cast<float>(targetB.info.Width), bh = static_cast<float>(targetB.info.Height);

    patches_ = &patches;
    device.SetRenderTarget(0, targetB.surface);
    DrawTexture(0, 0, source, bw, bh, D3DXCOLOR(1, 1, 1, 1));
    for (int i = 0; i < shape.passPairs; ++i) {
        device.SetRenderTarget(0, targetA.surface);
        Blur(shape.xPass, 0, 0, targetB, aw, ah);
        device.SetRenderTarget(0, targetB.surface);
        Blur(shape.yPass, 0, 0, targetA, bw, bh);
    }
    patches_ = nullptr;
    device.SetRenderTarget(0, previous);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, blending);
    return patches;
}
