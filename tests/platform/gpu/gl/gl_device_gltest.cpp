// The OpenGL device under a real context: clears, effect draws, render targets, sprites, text.
#include <algorithm>
#include <gtest/gtest.h>

#include <SDL.h>
#include <epoxy/gl.h>

#include "platform/gpu/gpu_test_util.h"
#include "platform/gpu/backends.h"
#include "platform/gpu/device.h"
#include "platform/gpu/device_state.h"
#include "platform/gpu/gl/gl_device.h"

using namespace gpu;

namespace {

constexpr int kW = 128, kH = 96;

struct ColorVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

struct ScreenVertex {
    float x, y, z, rhw, u, v;
};

const char* kTargetEffect = R"(uniform mat4 mW;
uniform mat4 mV;
uniform mat4 mP;
uniform vec4 MateDiffuse;
uniform vec4 GlowValue;
uniform sampler2D MateDiffuseTex;
#ifdef ORL_VERTEX
layout(location = 0) in vec3 inPos;
layout(location = 2) in vec4 inColor;
layout(location = 3) in vec2 inTex;
out vec2 vTex;
out vec4 vColor;
void VS() {
    vTex = inTex;
    vColor = inColor;
    gl_Position = orl_ClipFromD3D(vec4(inPos, 1.0) * mW * mV * mP);
}
layout(location = 0) in vec4 inScreen;
void ScreenVS() {
    vTex = inTex;
    vColor = vec4(1.0);
    gl_Position = orl_ClipFromScreen(inScreen);
}
#endif
#ifdef ORL_FRAGMENT
in vec2 vTex;
in vec4 vColor;
layout(location = 0) out vec4 outColor;
layout(location = 1) out vec4 outGlow;
void PS() {
    outColor = MateDiffuse * vColor;
    outGlow = GlowValue;
}
void TexPS() {
    outColor = texture(MateDiffuseTex, vTex);
    outGlow = vec4(0.0);
}
#endif
technique Tech { pass P0 { vertex = VS; fragment = PS; } }
technique Screen { pass P0 { vertex = ScreenVS; fragment = TexPS; } }
)";

class GlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        PrepareOpenGLWindowAttributes();
        window = SDL_CreateWindow("gltest", 0, 0, kW, kH, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        std::string error;
        device = CreateOpenGLDevice(window, kW, kH, false, &error);
        ASSERT_NE(device, nullptr) << error;
        D3DXMATRIX ortho;
        // Pixel units, y down: x 0..kW, y 0..kH, depth 0..1.
        D3DXMatrixOrthoOffCenterLH(&ortho, 0, float(kW), float(kH), 0, 0, 1);
        projection = ortho;
    }
    void TearDown() override {
        device.reset();
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    std::uint32_t Pixel(int x, int y) {
        std::vector<std::uint32_t> pixels;
        std::uint32_t w = 0, h = 0;
        EXPECT_TRUE(device->ReadBackBuffer(pixels, w, h));
        return pixels.at(std::size_t(y) * w + std::size_t(x));
    }

    std::unique_ptr<Effect> LoadEffect(const char* name, const char* text) {
        std::string errors;
        auto effect = device->CreateEffectFromFile(gputest::WriteTempFile(name, text), &errors);
        EXPECT_NE(effect, nullptr) << errors;
        return effect;
    }

    // A square of `size` pixels with its top-left corner at (x, y), wound clockwise on screen.
    static void Square(ColorVertex* v, float x, float y, float size, bool clockwise = true) {
        v[0] = {x, y, 0.5f, 0xFFFFFFFF, 0, 0};
        v[1] = {x + size, y, 0.5f, 0xFFFFFFFF, 1, 0};
        v[2] = {x + size, y + size, 0.5f, 0xFFFFFFFF, 1, 1};
        v[3] = {x, y + size, 0.5f, 0xFFFFFFFF, 0, 1};
        if (!clockwise) std::swap(v[1], v[3]);
    }

    void DrawThroughEffect(Effect& effect, const ColorVertex* quad, const D3DXMATRIX& world) {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        effect.SetMatrix("mW", &world);
        effect.SetMatrix("mV", &identity);
        effect.SetMatrix("mP", &projection);
        unsigned passes = 0;
        effect.Begin(&passes, 0);
        effect.BeginPass(0);
        device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ColorVertex));
        effect.EndPass();
        effect.End();
    }

    // A red width x height rectangle at the target's top-left corner, through the effect's technique.
    void DrawRedCorner(Effect& effect, float width, float height) {
        ColorVertex quad[4];
        Square(quad, 0, 0, 1);
        D3DXMATRIX corner;
        D3DXMatrixScaling(&corner, width, height, 1);
        D3DXVECTOR4 red(1, 0, 0, 1);
        effect.SetVector("MateDiffuse", &red);
        DrawThroughEffect(effect, quad, corner);
    }

    std::shared_ptr<Texture> SolidTexture(std::uint32_t w, std::uint32_t h, std::uint32_t color) {
        auto tex = device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        LockedRect lr;
        EXPECT_TRUE(tex->LockRect(&lr));
        for (std::uint32_t y = 0; y < h; ++y)
            for (std::uint32_t x = 0; x < w; ++x)
                reinterpret_cast<std::uint32_t*>(static_cast<char*>(lr.pBits) + y * lr.Pitch)[x] = color;
        tex->UnlockRect();
        return tex;
    }

    SDL_Window* window = nullptr;
    std::unique_ptr<Device> device;
    D3DXMATRIX projection;
};

} // namespace

TEST_F(GlDeviceTest, ClearReadsBackEverywhere) {
    EXPECT_FALSE(device->IsNull());
    EXPECT_EQ(device->PresentParameters().BackBufferWidth, std::uint32_t(kW));
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF336699, 1.0f, 0);
    std::vector<std::uint32_t> pixels;
    std::uint32_t w = 0, h = 0;
    ASSERT_TRUE(device->ReadBackBuffer(pixels, w, h));
    ASSERT_EQ(pixels.size(), std::size_t(kW * kH));
    for (auto p : pixels) ASSERT_EQ(p, 0xFF336699u);
    device->Present();
    EXPECT_EQ(device->Counters().frames, 1u);
}

// Rectangles are cut to the target and fill only themselves; the scissor is off afterwards.
TEST_F(GlDeviceTest, ClearRectsFillOnlyTheirPartOfTheTarget) {
    auto glow = device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT);
    auto backBuffer = device->GetRenderTarget(0);
    device->SetRenderTarget(0, glow->GetSurfaceLevel(0));
    device->Clear(D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    device->ClearRects({RECT{2, 3, 6, 5}, RECT{kW - 2, kH - 2, kW + 9, kH + 9}, RECT{9, 9, 4, 4}}, 0x80FF0000);
    std::vector<float> rgba;
    ASSERT_TRUE(device->ReadSurface(*glow->GetSurfaceLevel(0), rgba));
    auto red = [&](int x, int y) { return rgba[std::size_t(y * kW + x) * 4]; };
    EXPECT_EQ(red(2, 3), 1.0f);
    EXPECT_EQ(red(5, 4), 1.0f);
    EXPECT_NEAR(rgba[std::size_t(3 * kW + 2) * 4 + 3], 128 / 255.0f, 1e-3f);
    EXPECT_EQ(red(6, 4), 0.0f);
    EXPECT_EQ(red(5, 5), 0.0f);
    EXPECT_EQ(red(kW - 1, kH - 1), 1.0f);
    EXPECT_EQ(red(kW - 3, kH - 1), 0.0f);

    device->SetRenderTarget(0, backBuffer);
    device->ClearRects({RECT{0, 0, 1, 1}}, 0xFF0000FF);
    EXPECT_EQ(Pixel(0, 0), 0xFF0000FFu);
    device->Clear(D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
    EXPECT_EQ(Pixel(kW - 1, kH - 1), 0xFF336699u);
}

// A window of another shape shows the whole picture scaled to fit, upright, with black bars.
TEST_F(GlDeviceTest, PresentFitsThePictureIntoAnyWindowBetweenBlackBars) {
    const int windowW = 2 * kW, windowH = 2 * kH + 48; // twice the picture, 24 rows to spare above and below
    SDL_SetWindowSize(window, windowW, windowH);
    // The software rasterizer takes up a window's new size at a swap; then the window is filled with
    // green, which must not show in the bars.
    device->Present();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    auto effect = LoadEffect("gl_target.fx", kTargetEffect);
    ASSERT_TRUE(effect);
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    DrawRedCorner(*effect, 16, 8);
    // Read before the swap: afterwards the window's back buffer is undefined.
    static_cast<GlDevice&>(*device).BlitToWindow();
    std::vector<std::uint8_t> rgba(std::size_t(windowW) * windowH * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, windowW, windowH, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    auto shown = [&](int x, int y) { // top-left origin, as the player sees it
        const std::uint8_t* p = &rgba[(std::size_t(windowH - 1 - y) * windowW + std::size_t(x)) * 4];
        return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    };
    EXPECT_EQ(shown(5, 5), 0x000000u);   // top bar
    EXPECT_EQ(shown(0, 24), 0xFF0000u);  // the picture's top-left corner, not its bottom
    EXPECT_EQ(shown(29, 37), 0xFF0000u); // the corner quad, doubled in size
    EXPECT_EQ(shown(33, 24), 0x0000FFu);
    EXPECT_EQ(shown(windowW - 1, windowH - 25), 0x0000FFu); // the picture's last row
    EXPECT_EQ(shown(windowW - 1, windowH - 24), 0x000000u); // bottom bar
}

TEST_F(GlDeviceTest, EffectQuadLandsWhereTheMatricesPutIt) {
    auto effect = LoadEffect("gl_target.fx", kTargetEffect);
    ASSERT_TRUE(effect);
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    ColorVertex quad[4];
    Square(quad, 0, 0, 1);
    D3DXMATRIX scale, move, world;
    D3DXMatrixScaling(&scale, 32, 16, 1);
    D3DXMatrixTranslation(&move, 16, 8, 0);
    world = scale * move; // row vectors: scale first, then move
    D3DXVECTOR4 red(1, 0, 0, 1);
    effect->SetVector("MateDiffuse", &red);
    DrawThroughEffect(*effect, quad, world);
    EXPECT_EQ(Pixel(16, 8), 0xFFFF0000u);  // top-left pixel of the quad
    EXPECT_EQ(Pixel(47, 23), 0xFFFF0000u); // bottom-right pixel
    EXPECT_EQ(Pixel(15, 8), 0xFF000000u);
    EXPECT_EQ(Pixel(48, 8), 0xFF000000u);
    EXPECT_EQ(Pixel(16, 7), 0xFF000000u);
    EXPECT_EQ(Pixel(16, 24), 0xFF000000u);
    EXPECT_EQ(device->Counters().draws, 1u);
    EXPECT_EQ(device->Counters().primitives, 2u);
}

TEST_F(GlDeviceTest, CullModesMatchDirect3DWinding) {
    auto effect = LoadEffect("gl_cull.fx", kTargetEffect);
    ASSERT_TRUE(effect);
    D3DXVECTOR4 white(1, 1, 1, 1);
    effect->SetVector("MateDiffuse", &white);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ColorVertex clockwise[4], counter[4];
    Square(clockwise, 10, 10, 10, true);
    Square(counter, 40, 10, 10, false);
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW); // Direct3D's default: clockwise faces are kept
    DrawThroughEffect(*effect, clockwise, identity);
    DrawThroughEffect(*effect, counter, identity);
    EXPECT_EQ(Pixel(15, 15), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(45, 15), 0xFF000000u);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawThroughEffect(*effect, clockwise, identity);
    DrawThroughEffect(*effect, counter, identity);
    EXPECT_EQ(Pixel(15, 15), 0xFF000000u);
    EXPECT_EQ(Pixel(45, 15), 0xFFFFFFFFu);
}

TEST_F(GlDeviceTest, RenderTargetOneReceivesTheSecondOutputInHalfFloat) {
    auto effect = LoadEffect("gl_glow.fx", kTargetEffect);
    ASSERT_TRUE(effect);
    auto glow = device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT);
    ASSERT_TRUE(glow);
    auto backBuffer = device->GetRenderTarget(0);
    ASSERT_TRUE(device->SetRenderTarget(0, glow->GetSurfaceLevel(0)));
    device->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_TRUE(device->SetRenderTarget(0, backBuffer));
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    ASSERT_TRUE(device->SetRenderTarget(1, glow->GetSurfaceLevel(0)));
    D3DXVECTOR4 green(0, 1, 0, 1), glowValue(0.25f, 2.5f, 0, 1);
    effect->SetVector("MateDiffuse", &green);
    effect->SetVector("GlowValue", &glowValue);
    ColorVertex quad[4];
    Square(quad, 8, 8, 8);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    DrawThroughEffect(*effect, quad, identity);
    ASSERT_TRUE(device->SetRenderTarget(1, nullptr));
    EXPECT_EQ(Pixel(10, 10), 0xFF00FF00u);
    EXPECT_EQ(Pixel(30, 30), 0xFF0000FFu);
    std::vector<float> rgba;
    ASSERT_TRUE(device->ReadSurface(*glow->GetSurfaceLevel(0), rgba));
    ASSERT_EQ(rgba.size(), std::size_t(kW * kH * 4));
    const float* inside = &rgba[(10 * kW + 10) * 4];
    EXPECT_FLOAT_EQ(inside[0], 0.25f);
    EXPECT_FLOAT_EQ(inside[1], 2.5f); // a half-float target keeps values above one
    const float* outside = &rgba[(30 * kW + 30) * 4];
    EXPECT_FLOAT_EQ(outside[1], 0.0f);
    EXPECT_FLOAT_EQ(outside[3], 1.0f);
}

TEST_F(GlDeviceTest, RenderedTargetsKeepTheTopRowFirstWhenSampled) {
    auto target = device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    auto effect = LoadEffect("gl_rt.fx", kTargetEffect);
    ASSERT_TRUE(target && effect);
    auto backBuffer = device->GetRenderTarget(0);
    device->SetRenderTarget(0, target->GetSurfaceLevel(0));
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    D3DXVECTOR4 red(1, 0, 0, 1);
    effect->SetVector("MateDiffuse", &red);
    ColorVertex quad[4];
    Square(quad, 0, 0, 16); // top-left corner of the target
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    DrawThroughEffect(*effect, quad, identity);
    std::vector<float> rgba;
    ASSERT_TRUE(device->ReadSurface(*target->GetSurfaceLevel(0), rgba));
    EXPECT_EQ(rgba[0], 1.0f);                   // row 0, column 0 is red
    EXPECT_EQ(rgba[((kH - 1) * kW) * 4], 0.0f); // bottom-left is not

    device->SetRenderTarget(0, backBuffer);
    device->Clear(D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    auto sprite = device->CreateSprite();
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    sprite->Draw(target.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
    sprite->End();
    EXPECT_EQ(Pixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(Pixel(2, kH - 3), 0xFF000000u);
}

TEST_F(GlDeviceTest, SpriteLandsAtItsTransformWithItsColour) {
    auto white = SolidTexture(4, 4, 0xFFFFFFFF);
    device->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    auto sprite = device->CreateSprite();
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    D3DXMATRIX scale, move, transform;
    D3DXMatrixScaling(&scale, 2, 2, 1);
    D3DXMatrixTranslation(&move, 10, 20, 0);
    transform = scale * move;
    sprite->SetTransform(&transform);
    sprite->Draw(white.get(), nullptr, nullptr, nullptr, 0xFF00FF00);
    D3DXMatrixIdentity(&transform);
    sprite->SetTransform(&transform);
    D3DXVECTOR3 position(60, 40, 0);
    sprite->Draw(white.get(), nullptr, nullptr, &position, 0x80FF0000); // half-transparent red
    sprite->End();
    EXPECT_EQ(Pixel(10, 20), 0xFF00FF00u);
    EXPECT_EQ(Pixel(17, 27), 0xFF00FF00u);
    EXPECT_EQ(Pixel(18, 20), 0xFF000000u);
    EXPECT_EQ(Pixel(9, 20), 0xFF000000u);
    EXPECT_EQ(Pixel(10, 19), 0xFF000000u);
    EXPECT_EQ(Pixel(10, 28), 0xFF000000u);
    std::uint32_t blended = Pixel(61, 41);
    EXPECT_NEAR(int((blended >> 16) & 0xFF), 128, 2);
    EXPECT_EQ(Pixel(64, 41), 0xFF000000u);
    EXPECT_EQ(device->Counters().draws, 1u); // one texture, one run
}

TEST_F(GlDeviceTest, PreTransformedQuadCoversItsPixels) {
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    // What the game's DrawScreenQuad sends: (x, y, w, h) = (8, 4, 16, 8), z 0, rhw 1, as a strip.
    const float x = 8, y = 4, w = 16, h = 8;
    ScreenVertex quad[4] = {
        {x, y, 0, 1, 0, 0}, {x + w, y, 0, 1, 1, 0}, {x, y + h, 0, 1, 0, 1}, {x + w, y + h, 0, 1, 1, 1}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
    EXPECT_EQ(Pixel(8, 4), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(23, 11), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(7, 4), 0xFF000000u);
    EXPECT_EQ(Pixel(24, 4), 0xFF000000u);
    EXPECT_EQ(Pixel(8, 3), 0xFF000000u);
    EXPECT_EQ(Pixel(8, 12), 0xFF000000u);

    // The same through an effect's orl_ClipFromScreen, sampling a texture.
    auto effect = LoadEffect("gl_screen.fx", kTargetEffect);
    ASSERT_TRUE(effect && effect->SetTechnique("Screen"));
    auto blue = SolidTexture(2, 2, 0xFF0000FF);
    effect->SetTexture("MateDiffuseTex", blue.get());
    ScreenVertex second[4];
    for (int i = 0; i < 4; ++i) second[i] = quad[i], second[i].y += 40;
    unsigned passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, second, sizeof(ScreenVertex));
    effect->EndPass();
    effect->End();
    EXPECT_EQ(Pixel(8, 44), 0xFF0000FFu);
    EXPECT_EQ(Pixel(23, 51), 0xFF0000FFu);
    EXPECT_EQ(Pixel(24, 44), 0xFF000000u);
    EXPECT_EQ(Pixel(8, 52), 0xFF000000u);
}

// Screen-space quads at different depths over one spot, as the game's states leave them (stencil on,
// less-equal). Quads on the near plane may skip the depth test only where that changes nothing.
TEST_F(GlDeviceTest, PreTransformedQuadsKeepTheirDepthTest) {
    struct ScreenColorVertex {
        float x, y, z, rhw;
        D3DCOLOR color;
    };
    auto quad = [&](float z, D3DCOLOR color) {
        ScreenColorVertex v[4] = {
            {8, 8, z, 1, color}, {24, 8, z, 1, color}, {8, 24, z, 1, color}, {24, 24, z, 1, color}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenColorVertex));
    };
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    quad(0.25f, 0xFFFF0000);
    EXPECT_EQ(Pixel(16, 16), 0xFFFF0000u);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    quad(0.5f, 0xFF00FF00); // behind the red one
    EXPECT_EQ(Pixel(16, 16), 0xFFFF0000u);
    quad(0.0f, 0xFF0000FF); // on the near plane: passes, writes no depth
    EXPECT_EQ(Pixel(16, 16), 0xFF0000FFu);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATEREQUAL);
    quad(0.0f, 0xFFFFFFFF); // in front of the red one's depth: fails a greater-equal test
    EXPECT_EQ(Pixel(16, 16), 0xFF0000FFu);
    quad(1.0f, 0xFF00FF00);
    EXPECT_EQ(Pixel(16, 16), 0xFF00FF00u);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    quad(0.0f, 0xFFFFFF00); // writes depth 0 this time: nothing at 0.1 may cover it afterwards
    quad(0.1f, 0xFFFF00FF);
    EXPECT_EQ(Pixel(16, 16), 0xFFFFFF00u);
}

TEST_F(GlDeviceTest, FixedFunctionLightsWithTheMaterial) {
    struct LitVertex {
        float x, y, z, nx, ny, nz, u, v;
    };
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DMATERIAL9 material;
    material.Diffuse = {1, 0, 0, 1};
    device->SetMaterial(&material);
    D3DLIGHT9 light;
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0, 0, 1}; // into the screen, onto a face whose normal points at the viewer
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    LitVertex quad[4] = {{10, 10, 0.5f, 0, 0, -1, 0, 0},
                         {30, 10, 0.5f, 0, 0, -1, 1, 0},
                         {30, 30, 0.5f, 0, 0, -1, 1, 1},
                         {10, 30, 0.5f, 0, 0, -1, 0, 1}};
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(LitVertex));
    EXPECT_EQ(Pixel(20, 20), 0xFFFF0000u);
    device->LightEnable(0, FALSE);
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(LitVertex));
    EXPECT_EQ(Pixel(20, 20), 0xFF000000u); // unlit by anything, no ambient
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    auto tex = SolidTexture(2, 2, 0xFF00FF00);
    device->SetTexture(0, tex.get());
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(LitVertex));
    EXPECT_EQ(Pixel(20, 20), 0xFF00FF00u); // texture x white vertex colour
}

// A model stretched along Z: its normals must bend away from the stretch (inverse transpose), not
// with it. The normal (0, 1, -1) becomes (0, 1, -1/4) before normalising, lit at 0.243 by a light
// along +Z; transformed like a position it would lean into the light at 0.970.
TEST_F(GlDeviceTest, FixedFunctionNormalsFollowTheInverseTransposeOfTheWorld) {
    struct LitVertex {
        float x, y, z, nx, ny, nz, u, v;
    };
    D3DXMATRIX identity, stretch;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixScaling(&stretch, 1, 1, 4);
    device->SetTransform(D3DTS_WORLD, &stretch);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DMATERIAL9 material;
    material.Diffuse = {1, 0, 0, 1};
    device->SetMaterial(&material);
    D3DLIGHT9 light;
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0, 0, 1};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    const float n = 0.70710678f;
    LitVertex quad[4] = {{10, 10, 0.1f, 0, n, -n, 0, 0},
                         {30, 10, 0.1f, 0, n, -n, 1, 0},
                         {30, 30, 0.1f, 0, n, -n, 1, 1},
                         {10, 30, 0.1f, 0, n, -n, 0, 1}};
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(LitVertex));
    const int red = int((Pixel(20, 20) >> 16) & 0xFF);
    EXPECT_NEAR(red, 62, 2); // 255 x 0.2425
}

TEST_F(GlDeviceTest, StaticGeometryDraws) {
    auto effect = LoadEffect("gl_static.fx", kTargetEffect);
    ASSERT_TRUE(effect);
    ColorVertex quad[4];
    Square(quad, 40, 40, 10);
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    auto vb = device->CreateVertexBuffer(sizeof quad);
    auto ib = device->CreateIndexBuffer(sizeof indices);
    vb->Update(quad, sizeof quad);
    ib->Update(indices, sizeof indices);
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    D3DXVECTOR4 white(1, 1, 1, 1);
    effect->SetVector("MateDiffuse", &white);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    effect->SetMatrix("mW", &identity);
    effect->SetMatrix("mV", &identity);
    effect->SetMatrix("mP", &projection);
    unsigned passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->SetFVF(0x142);
    device->SetStreamSource(vb.get(), sizeof(ColorVertex));
    device->SetIndices(ib.get());
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 4, 2); // past the index buffer: skipped
    effect->EndPass();
    effect->End();
    EXPECT_EQ(Pixel(45, 45), 0xFFFFFFFFu);
    EXPECT_EQ(device->Counters().draws, 1u);
}

TEST_F(GlDeviceTest, ManagedTexturesRelockWithTheirPixelsAndAreCountedWhileAlive) {
    std::uint64_t before = device->Memory().imageBytes;
    auto texture = SolidTexture(8, 4, 0xFF102030);
    EXPECT_EQ(device->Memory().imageBytes, before + 8 * 4 * 4);
    // The first lock's pixels are gone from the CPU after the unlock; a later lock (the font atlas
    // adding glyphs) must still see them, and its change must reach the GPU.
    LockedRect locked;
    ASSERT_TRUE(texture->LockRect(&locked));
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<char*>(locked.pBits) + 3 * locked.Pitch);
    EXPECT_EQ(row[7], 0xFF102030u);
    row[7] = 0xFFA0B0C0;
    texture->UnlockRect();
    ASSERT_TRUE(texture->LockRect(&locked));
    row = reinterpret_cast<std::uint32_t*>(static_cast<char*>(locked.pBits) + 3 * locked.Pitch);
    EXPECT_EQ(row[7], 0xFFA0B0C0u);
    EXPECT_EQ(row[6], 0xFF102030u);
    texture->UnlockRect();
    texture.reset();
    EXPECT_EQ(device->Memory().imageBytes, before);
}

TEST_F(GlDeviceTest, FontMeasuresAndDraws) {
    D3DXFONT_DESCA desc;
    desc.Height = 12;
    auto font = device->CreateFont(desc);
    RECT r{};
    int h = font->DrawTextA(nullptr, "FPS=60", -1, &r, DT_CALCRECT, 0xFFFFFFFF);
    EXPECT_GT(h, 0);
    EXPECT_GT(r.right, 0);
    RECT jp{};
    EXPECT_GT(font->DrawTextA(nullptr, "フレームレート", -1, &jp, DT_CALCRECT, 0xFFFFFFFF), 0);
    EXPECT_GT(jp.right, r.right);

    device->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    auto sprite = device->CreateSprite();
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    D3DXMATRIX move;
    D3DXMatrixTranslation(&move, 10, 10, 0);
    sprite->SetTransform(&move);
    font->DrawTextA(sprite.get(), "FPS=60", -1, &r, 0, 0xFFFFFFFF);
    sprite->End();
    std::vector<std::uint32_t> pixels;
    std::uint32_t w, hh;
    device->ReadBackBuffer(pixels, w, hh);
    int lit = 0, litOutside = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            bool bright = (pixels[y * kW + x] & 0xFF) > 128;
            bool inside = x >= 10 && x < 10 + r.right && y >= 10 && y < 10 + r.bottom;
            (inside ? lit : litOutside) += bright;
        }
    EXPECT_GT(lit, 10);
    EXPECT_EQ(litOutside, 0);
}

// Glyphs packed before the atlas grows still draw the same after it.
TEST_F(GlDeviceTest, FontKeepsItsGlyphsWhenItsAtlasGrows) {
    D3DXFONT_DESCA desc;
    desc.Height = 40;
    auto font = device->CreateFont(desc);
    auto drawA = [&] {
        device->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        RECT at{4, 4, 0, 0};
        font->DrawTextA(nullptr, "A", -1, &at, 0, 0xFFFFFFFF);
        std::vector<std::uint32_t> pixels;
        std::uint32_t w, h;
        device->ReadBackBuffer(pixels, w, h);
        return pixels;
    };
    std::vector<std::uint32_t> before = drawA();
    std::string many;
    for (char c = '!'; c <= '~'; ++c) many += c; // far more than a 128-pixel atlas holds at this size
    RECT at{0, 0, 0, 0};
    font->DrawTextA(nullptr, many.c_str(), -1, &at, 0, 0xFFFFFFFF);
    EXPECT_EQ(drawA(), before);
    EXPECT_NE(std::count(before.begin(), before.end(), 0xFF000000u), std::ptrdiff_t(before.size()));
}

TEST_F(GlDeviceTest, CompileErrorsNameTheFileLine) {
    std::string path =
        gputest::WriteTempFile("gl_broken.fx", "uniform vec4 C;\n"
                                               "#ifdef ORL_FRAGMENT\n"
                                               "layout(location = 0) out vec4 o;\n"
                                               "void PS() {\n"
                                               "    o = C * undefinedThing;\n"
                                               "}\n"
                                               "#endif\n"
                                               "void VS() { gl_Position = vec4(0.0); }\n"
                                               "technique T { pass P { vertex = VS; fragment = PS; } }\n");
    std::string errors;
    EXPECT_EQ(device->CreateEffectFromFile(path, &errors), nullptr);
    EXPECT_EQ(errors.rfind(path + ":5: ", 0), 0u) << errors;
}

// A technique left out at load is built when first begun; one that cannot be built then fails its
// pass and leaves the others drawing, while asking for it at load still fails the load.
TEST_F(GlDeviceTest, TechniquesLeftOutAtLoadAreBuiltWhenFirstBegun) {
    // The fragment stage has no such function, which only building that pass finds out.
    const std::string text = std::string(kTargetEffect) + "#ifdef ORL_VERTEX\nvoid VertexOnly() {}\n#endif\n" +
                             "technique Broken { pass P0 { vertex = VS; fragment = VertexOnly; } }\n";
    std::string path = gputest::WriteTempFile("gl_later.fx", text.c_str());
    std::string errors;
    EXPECT_EQ(device->CreateEffectFromFile(path, &errors, {"Broken"}), nullptr);
    EXPECT_EQ(errors.rfind(path + ":", 0), 0u) << errors;
    auto effect = device->CreateEffectFromFile(path, &errors, {"Screen"});
    ASSERT_NE(effect, nullptr) << errors;
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    ASSERT_TRUE(effect->SetTechnique("Tech"));
    DrawRedCorner(*effect, 8, 8);
    EXPECT_EQ(Pixel(4, 4), 0xFFFF0000u);
    ASSERT_TRUE(effect->SetTechnique("Broken"));
    unsigned passes = 0;
    effect->Begin(&passes, 0);
    EXPECT_FALSE(effect->BeginPass(0));
    effect->End();
}

TEST_F(GlDeviceTest, ShippedEffectFilesCompile) {
    const char* source = std::getenv("ORLENDA_SOURCE");
    if (!source) GTEST_SKIP() << "ORLENDA_SOURCE not set";
    for (const char* name : {"Sample.fx", "Blur.fx"}) {
        std::string path = std::string(source) + "/content/Shader/" + name;
        std::string errors;
        auto effect = device->CreateEffectFromFile(path, &errors);
        EXPECT_NE(effect, nullptr) << errors;
    }
}

// Under the usual src-alpha blend an opaque fixed-function draw goes without the blend; the pixels
// must be those of the blend wherever the texture or the vertex colour can let the scene through.
TEST_F(GlDeviceTest, FixedFunctionBlendsWhereverAlphaCanFallShortOfOne) {
    struct TexturedVertex {
        float x, y, z, rhw;
        D3DCOLOR color;
        float u, v;
    };
    auto quad = [&](D3DCOLOR color) {
        TexturedVertex v[4] = {{8, 8, 0, 1, color, 0, 0},
                               {24, 8, 0, 1, color, 1, 0},
                               {8, 24, 0, 1, color, 0, 1},
                               {24, 24, 0, 1, color, 1, 1}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TexturedVertex));
    };
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    auto opaque = SolidTexture(2, 2, 0xFF0000FF);
    auto halfSeen = SolidTexture(2, 2, 0xFF0000FF);
    LockedRect lr;
    ASSERT_TRUE(halfSeen->LockRect(&lr));
    static_cast<std::uint32_t*>(lr.pBits)[3] = 0x800000FF; // one texel of four lets half through
    halfSeen->UnlockRect();
    EXPECT_TRUE(opaque->Opaque());
    EXPECT_FALSE(halfSeen->Opaque());

    const std::uint32_t red = 0xFFFF0000u, blue = 0xFF0000FFu;
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, red, 1.0f, 0);
    device->SetTexture(0, opaque.get());
    quad(0xFFFFFFFF);
    EXPECT_EQ(Pixel(16, 16), blue);
    device->Clear(D3DCLEAR_TARGET, red, 1.0f, 0);
    quad(0x80FFFFFF); // an opaque texture under a half-transparent vertex colour
    EXPECT_NEAR(static_cast<int>((Pixel(16, 16) >> 16) & 0xFF), 127, 2);
    device->Clear(D3DCLEAR_TARGET, red, 1.0f, 0);
    device->SetTexture(0, halfSeen.get());
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    quad(0xFFFFFFFF);
    EXPECT_EQ(Pixel(9, 9), blue);
    EXPECT_NEAR(static_cast<int>((Pixel(23, 23) >> 16) & 0xFF), 127, 2);
}

// A smaller target gets depth only from a depth surface of its own size.
TEST_F(GlDeviceTest, DepthSurfaceOfItsOwnSizeServesTargetsOfThatSize) {
    auto target = device->CreateTexture(kW / 2, kH / 2, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    auto depth = device->CreateDepthStencilSurface(kW / 2, kH / 2);
    ASSERT_TRUE(target && depth);
    EXPECT_EQ(device->CreateDepthStencilSurface(0, 4), nullptr);
    struct ScreenColorVertex {
        float x, y, z, rhw;
        D3DCOLOR color;
    };
    auto quad = [&](float z, D3DCOLOR color) {
        ScreenColorVertex v[4] = {
            {8, 8, z, 1, color}, {24, 8, z, 1, color}, {8, 24, z, 1, color}, {24, 24, z, 1, color}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenColorVertex));
    };
    auto centre = [&]() {
        std::vector<float> rgba;
        EXPECT_TRUE(device->ReadSurface(*target->GetSurfaceLevel(0), rgba));
        const std::size_t at = (std::size_t(16) * (kW / 2) + 16) * 4;
        return D3DXCOLOR(rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]);
    };
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->SetRenderTarget(0, target->GetSurfaceLevel(0));
    device->SetDepthStencilSurface(depth);
    EXPECT_EQ(device->GetDepthStencilSurface(), depth);
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    quad(0.25f, 0xFFFF0000);
    quad(0.5f, 0xFF00FF00); // behind the red one
    EXPECT_EQ(centre().r, 1.0f);
    EXPECT_EQ(centre().g, 0.0f);
    // With the back buffer's depth in force the smaller target has none: the later quad covers.
    device->SetDepthStencilSurface(nullptr);
    quad(0.5f, 0xFF00FF00);
    EXPECT_EQ(centre().g, 1.0f);
}

// A frame drawn straight into the window that then needs a second target moves into the offscreen
// back buffer with its picture and depth; a picture kept for read-back survives the swap.
TEST_F(GlDeviceTest, FrameLeavingTheWindowKeepsItsPictureAndDepth) {
    struct ScreenColorVertex {
        float x, y, z, rhw;
        D3DCOLOR color;
    };
    auto quad = [&](float x, float z, D3DCOLOR color) {
        ScreenColorVertex v[4] = {
            {x, 8, z, 1, color}, {x + 16, 8, z, 1, color}, {x, 24, z, 1, color}, {x + 16, 24, z, 1, color}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenColorVertex));
    };
    device->Present(); // the window has the picture's size: the next frame is drawn into it
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    quad(8, 0.25f, 0xFFFF0000);
    auto second = device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_TRUE(second);
    ASSERT_TRUE(device->SetRenderTarget(1, second->GetSurfaceLevel(0)));
    quad(8, 0.5f, 0xFF00FF00);  // behind the red square drawn in the window
    quad(40, 0.5f, 0xFF0000FF); // beside it
    ASSERT_TRUE(device->SetRenderTarget(1, nullptr));
    EXPECT_EQ(Pixel(16, 16), 0xFFFF0000u);
    EXPECT_EQ(Pixel(48, 16), 0xFF0000FFu);
    device->Present();
    device->KeepPictureForReadBack(); // back in the window: the next frame is kept at its Present
    device->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    quad(72, 0.5f, 0xFFFFFFFF);
    device->Present();
    EXPECT_EQ(Pixel(80, 16), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(80, 40), 0xFF000000u);
}
