// OpenGL device costs per frame at 1280x720: effect quads as the effect manager draws them, sprite
// batches, and the glow blur chain. Skips when no GL 3.3 context can be created (run under xvfb-run).
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gpu/backends.h"
#include "platform/gpu/device.h"

namespace {

constexpr int kW = 1280, kH = 720;

struct EffectVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

struct ScreenVertex {
    float x, y, z, rhw, u, v;
};

const char* kQuadEffect = R"(uniform mat4 mW;
uniform mat4 mV;
uniform mat4 mP;
uniform vec4 MateDiffuse;
uniform vec4 MateSpecular;
uniform float MateSpePower;
uniform vec4 TakeColor;
uniform int CurNumBones;
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
#endif
#ifdef ORL_FRAGMENT
in vec2 vTex;
in vec4 vColor;
layout(location = 0) out vec4 outColor;
layout(location = 1) out vec4 outGlow;
void PS() {
    outColor = texture(MateDiffuseTex, vTex) * vColor * MateDiffuse;
    outGlow = outColor;
}
#endif
technique Tech { pass P0 { vertex = VS; fragment = PS; } }
)";

// One hidden window and device shared by all benchmarks of the run.
struct Context {
    SDL_Window* window = nullptr;
    std::unique_ptr<gpu::Device> device;
    std::string error;

    Context() {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            error = SDL_GetError();
            return;
        }
        gpu::PrepareOpenGLWindowAttributes();
        window = SDL_CreateWindow("bench", 0, 0, kW, kH, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) {
            error = SDL_GetError();
            return;
        }
        device = gpu::CreateOpenGLDevice(window, kW, kH, false, &error);
    }
    static Context& Get() {
        static Context context;
        return context;
    }
};

gpu::Device* DeviceOrSkip(benchmark::State& state) {
    Context& c = Context::Get();
    if (!c.device) state.SkipWithError(("no OpenGL context: " + c.error).c_str());
    return c.device.get();
}

std::shared_ptr<gpu::Texture> WhiteTexture(gpu::Device& device, std::uint32_t size) {
    auto tex = device.CreateTexture(size, size, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    gpu::LockedRect lr;
    tex->LockRect(&lr);
    for (std::uint32_t i = 0; i < size * size; ++i) static_cast<std::uint32_t*>(lr.pBits)[i] = 0x80FFFFFF;
    tex->UnlockRect();
    return tex;
}

std::string TempEffect() {
    auto path = std::filesystem::temp_directory_path() / "orlenda_bench_quad.fx";
    std::ofstream(path) << kQuadEffect;
    return path.string();
}

// N small alpha-blended quads through an effect with the glow target bound, as the effects draw.
void BM_EffectQuads(benchmark::State& state) {
    gpu::Device* device = DeviceOrSkip(state);
    if (!device) return;
    std::string errors;
    auto effect = device->CreateEffectFromFile(TempEffect(), &errors);
    if (!effect) return state.SkipWithError(errors.c_str());
    auto texture = WhiteTexture(*device, 64);
    auto glow = device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT);
    auto backBuffer = device->GetRenderTarget(0);
    D3DXMATRIX view, projection, world;
    D3DXVECTOR3 eye(0, 0, -100), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, float(kW) / kH, 1, 1000);
    effect->SetMatrix("mV", &view);
    effect->SetMatrix("mP", &projection);
    EffectVertex quad[4] = {{-2, 2, 0, 0xFFFFFFE1, 0, 0},
                            {2, 2, 0, 0xFFFFFFE1, 1, 0},
                            {2, -2, 0, 0xFFFFFFE1, 1, 1},
                            {-2, -2, 0, 0xFFFFFFE1, 0, 1}};
    const int n = int(state.range(0));
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    for (auto _ : state) {
        device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0);
        device->SetRenderTarget(1, glow->GetSurfaceLevel(0));
        device->SetFVF(0x142);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        for (int i = 0; i < n; ++i) {
            D3DXMatrixTranslation(&world, float(i % 40) * 2 - 40, float(i / 40) * 2 - 15, float(i % 7));
            effect->SetMatrix("mW", &world);
            effect->SetInt("CurNumBones", 0);
            unsigned passes;
            effect->SetTechnique("Tech");
            effect->Begin(&passes, 0);
            effect->BeginPass(0);
            D3DXVECTOR4 colour(1, 0.8f, 0.5f, 1), zero;
            effect->SetVector("MateDiffuse", &colour);
            effect->SetVector("MateSpecular", &zero);
            effect->SetFloat("MateSpePower", 0);
            effect->SetVector("TakeColor", &zero);
            effect->SetTexture("MateDiffuseTex", texture.get());
            effect->CommitChanges();
            device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof quad[0]);
            effect->EndPass();
            effect->End();
        }
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        device->SetRenderTarget(0, backBuffer);
        device->SetRenderTarget(1, nullptr);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_EffectQuads)->Arg(100)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();

// N 32x32 sprites from one texture in one batch, plus a frame-rate line of text.
void BM_SpriteBatch(benchmark::State& state) {
    gpu::Device* device = DeviceOrSkip(state);
    if (!device) return;
    auto texture = WhiteTexture(*device, 32);
    auto sprite = device->CreateSprite();
    D3DXFONT_DESCA desc;
    desc.Height = 12;
    auto font = device->CreateFont(desc);
    const int n = int(state.range(0));
    for (auto _ : state) {
        device->Clear(D3DCLEAR_TARGET, 0xFF000000, 1, 0);
        sprite->Begin(D3DXSPRITE_ALPHABLEND);
        D3DXMATRIX t;
        for (int i = 0; i < n; ++i) {
            D3DXMatrixTranslation(&t, float(i * 37 % kW), float(i * 53 % kH), 0);
            sprite->SetTransform(&t);
            sprite->Draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
        }
        D3DXMatrixTranslation(&t, 10, 10, 0);
        sprite->SetTransform(&t);
        RECT r{};
        font->DrawTextA(sprite.get(), "FPS=60", -1, &r, DT_CALCRECT, 0xFFFFFFFF);
        font->DrawTextA(sprite.get(), "FPS=60", -1, &r, 0, 0xFFFFFFFF);
        sprite->End();
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SpriteBatch)->Arg(16)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The glow chain with the shipped Blur.fx: copy to half size, five X/Y pass pairs, additive composite.
// Argument 0 runs it with the depth test off, 1 with the game's states (depth test on).
void BM_GlowBlur(benchmark::State& state) {
    gpu::Device* device = DeviceOrSkip(state);
    if (!device) return;
    const char* source = std::getenv("ORLENDA_SOURCE");
    std::string path = std::string(source ? source : ".") + "/content/Shader/Blur.fx";
    std::string errors;
    auto blur = device->CreateEffectFromFile(path, &errors);
    if (!blur) return state.SkipWithError(("Blur.fx: " + errors + " (set ORLENDA_SOURCE)").c_str());
    auto glow = device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT);
    auto a = device->CreateTexture(kW / 2, kH / 2, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    auto b = device->CreateTexture(kW / 2, kH / 2, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    auto backBuffer = device->GetRenderTarget(0);
    if (state.range(0) == 0) device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    auto pass = [&](const char* tech, gpu::Texture* input, float w, float h) {
        D3DXVECTOR4 texel(1.0f / input->Width(), 1.0f / input->Height(), 0, 0), colour(1, 1, 1, 1);
        blur->SetVector("TexelSize", &texel);
        blur->SetTexture("InputTex", input);
        blur->SetVector("Color", &colour);
        blur->SetTechnique(tech);
        unsigned passes;
        blur->Begin(&passes, 0);
        blur->BeginPass(0);
        ScreenVertex q[4] = {{0, 0, 0, 1, 0, 0}, {w, 0, 0, 1, 1, 0}, {0, h, 0, 1, 0, 1}, {w, h, 0, 1, 1, 1}};
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof q[0]);
        blur->EndPass();
        blur->End();
    };
    for (auto _ : state) {
        device->SetRenderTarget(0, b->GetSurfaceLevel(0));
        pass("NormalTech", glow.get(), kW / 2, kH / 2);
        for (int i = 0; i < 5; ++i) {
            device->SetRenderTarget(0, a->GetSurfaceLevel(0));
            pass("XBlurTech", b.get(), kW / 2, kH / 2);
            device->SetRenderTarget(0, b->GetSurfaceLevel(0));
            pass("YBlurTech", a.get(), kW / 2, kH / 2);
        }
        device->SetRenderTarget(0, backBuffer);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        pass("NormalTech", b.get(), kW, kH);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        glFinish();
    }
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
}
BENCHMARK(BM_GlowBlur)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Clear and present of the back buffer alone.
void BM_ClearPresent(benchmark::State& state) {
    gpu::Device* device = DeviceOrSkip(state);
    if (!device) return;
    for (auto _ : state) {
        device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF0000FF, 1, 0);
        device->Present();
        glFinish();
    }
}
BENCHMARK(BM_ClearPresent)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
