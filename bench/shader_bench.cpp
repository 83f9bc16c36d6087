// Shader benchmark on the OpenGL device at 1280 x 720: the whole glow and 600 effect quads per frame.
//
// Run under a display (xvfb-run -a -s "-screen 0 1280x720x24" build/bench/shader_bench) from build/game.
// Each iteration is one frame ending in Present, so the rasteriser's work is inside the timing;
// "EmptyFrame" is the cost of clearing and presenting alone, to subtract from the others.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "platform/window/message_box.h"
#include "platform/window/window.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kQuadCount = 600;

struct QuadVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

struct Scene {
    platform::window::Window window;
    SimpleLib::CTexture glowTarget;
    SimpleLib::CTexture effectTexture;
    std::vector<D3DXMATRIX> worlds;
    QuadVertex quad[4];
    bool ready = false;

    bool Init() {
        std::string error;
        platform::message_box::SetMode(platform::message_box::Mode::Automatic);
        if (!platform::window::InitVideo(&error) || !window.Create("shader bench", kWidth, kHeight, &error)) {
            std::fprintf(stderr, "shader_bench: %s\n", error.c_str());
            return false;
        }
        GraphicsDevice& graphics = GraphicsDevice::Instance();
        if (!graphics.Init(window.Handle(), kWidth, kHeight, false)) return false;
        graphics.SetDefaultStates();
        ShaderManager& shaders = ShaderManager::Instance();
        shaders.mainShader.Load();
        shaders.blur.Load();
        if (!shaders.mainShader.effect || !shaders.blur.effect) return false;
        glowTarget.Create(kWidth, kHeight, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT);
        MakeTexture();
        PlaceQuads();
        return ready = true;
    }

    // A soft round spot, like the game's effect images.
    void MakeTexture() {
        effectTexture.Create(64, 64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        gpu::LockedRect locked;
        if (!effectTexture.texture || !effectTexture.texture->LockRect(&locked)) return;
        for (int y = 0; y < 64; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < 64; ++x) {
                float dx = (x - 31.5f) / 32, dy = (y - 31.5f) / 32;
                float a = std::max(0.0f, 1.0f - (dx * dx + dy * dy));
                row[x] = (std::uint32_t(a * 255) << 24) | 0xFFFFFF;
            }
        }
        effectTexture.texture->UnlockRect();
    }

    // Quads of 2 x 2 units scattered 20..60 units in front of the camera, as in a race.
    void PlaceQuads() {
        const float h = 1.0f;
        quad[0] = {-h, h, 0, 0xFFFFFFE1, 0, 0};
        quad[1] = {h, h, 0, 0xFFFFFFE1, 1, 0};
        quad[2] = {h, -h, 0, 0xFFFFFFE1, 1, 1};
        quad[3] = {-h, -h, 0, 0xFFFFFFE1, 0, 1};
        std::srand(1);
        for (int i = 0; i < kQuadCount; ++i) {
            float z = 20 + std::rand() % 40;
            float x = (std::rand() % 200 - 100) * z / 100.0f;
            float y = (std::rand() % 120 - 60) * z / 100.0f;
            worlds.push_back(MatrixTranslation(x, y, z));
        }
        D3DXMATRIX view, projection;
        D3DXMatrixIdentity(&view);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, float(kWidth) / kHeight, 1.0f, 1000.0f);
        ModelShader& shader = ShaderManager::Instance().mainShader;
        shader.SetMatrix("mV", view);
        shader.SetMatrix("mP", projection);
    }

    void BeginFrame() {
        gpu::Device& device = *GraphicsDevice::Instance().device;
        device.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF0000FF, 1.0f, 0);
        device.BeginScene();
    }

    void EndFrame() {
        gpu::Device& device = *GraphicsDevice::Instance().device;
        device.EndScene();
        device.Present();
    }

    void DrawQuads() {
        gpu::Device& device = *GraphicsDevice::Instance().device;
        ModelShader& shader = ShaderManager::Instance().mainShader;
        device.SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        device.SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        for (const D3DXMATRIX& world : worlds) {
            shader.SetMatrix("mW", world);
            shader.DrawQuad(&effectTexture, quad, D3DXCOLOR(1.0f, 0.6f, 0.3f, 0.8f));
        }
        device.SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    }

    void ClearGlowTarget() {
        GraphicsDevice& graphics = GraphicsDevice::Instance();
        gpu::Device& device = *graphics.device;
        device.SetRenderTarget(0, glowTarget.surface);
        device.Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device.SetRenderTarget(0, graphics.backBuffer);
    }

    void Composite() {
        gpu::Device& device = *GraphicsDevice::Instance().device;
        BlurFilter& blur = ShaderManager::Instance().blur;
        device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        blur.DrawTexture(0, 0, blur.targetB, kWidth, kHeight, D3DXCOLOR(1.3f, 1.3f, 1.3f, 1.0f));
        device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }

    // The effect pass as the game runs it: clear the glow target, draw the quads into the screen and
    // the glow target, blur the glow and add it over the screen.
    void Glow(bool withQuads) {
        gpu::Device& device = *GraphicsDevice::Instance().device;
        ClearGlowTarget();
        if (withQuads) {
            device.SetRenderTarget(1, glowTarget.surface);
            DrawQuads();
            device.SetRenderTarget(1, nullptr);
        }
        ShaderManager::Instance().blur.Apply(glowTarget);
        Composite();
    }
};

Scene& TheScene() {
    static Scene scene;
    static bool tried = false;
    if (!tried) {
        tried = true;
        scene.Init();
    }
    return scene;
}

double ProcessCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

template <class Body> void RunFrames(benchmark::State& state, Body body) {
    Scene& scene = TheScene();
    if (!scene.ready) {
        state.SkipWithError("no OpenGL device (run under a display)");
        return;
    }
    double cpuStart = ProcessCpuMs();
    for (auto _ : state) {
        scene.BeginFrame();
        body(scene);
        scene.EndFrame();
    }
    // CPU time of every thread of the process, the rasteriser's included: on a busy machine the
    // wall clock also counts waiting for a core, this does not.
    state.counters["all_threads_cpu_ms"] = benchmark::Counter((ProcessCpuMs() - cpuStart) / double(state.iterations()));
}

void BM_EmptyFrame(benchmark::State& state) {
    RunFrames(state, [](Scene&) {});
}

void BM_Glow(benchmark::State& state) {
    RunFrames(state, [](Scene& scene) { scene.Glow(false); });
}

void BM_GlowClear(benchmark::State& state) {
    RunFrames(state, [](Scene& scene) { scene.ClearGlowTarget(); });
}

void BM_BlurApply(benchmark::State& state) {
    RunFrames(state, [](Scene& scene) { ShaderManager::Instance().blur.Apply(scene.glowTarget); });
}

void BM_GlowComposite(benchmark::State& state) {
    RunFrames(state, [](Scene& scene) { scene.Composite(); });
}

void BM_EffectQuads600(benchmark::State& state) {
    RunFrames(state, [](Scene& scene) { scene.DrawQuads(); });
    state.counters["quads"] = kQuadCount;
}

void BM_EffectQuads600WithGlow(benchmark::State& state) {
    RunFrames(state, [](Scene& scene) { scene.Glow(true); });
}

// CPU side only: the calls a quad costs, on the Null device.
void BM_DrawQuadCpuNull(benchmark::State& state) {
    // Runs after the GL benchmarks: swapping the device out is fine from here on.
    Scene& scene = TheScene();
    scene.glowTarget.Release();
    scene.effectTexture.Release();
    scene.ready = false;
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    ShaderManager::ResetInstance();
    graphics.Release();
    graphics.InitNull(kWidth, kHeight);
    ModelShader& shader = ShaderManager::Instance().mainShader;
    shader.Load();
    QuadVertex quad[4] = {};
    D3DXMATRIX world = MatrixTranslation(1, 2, 3);
    for (auto _ : state) {
        shader.SetMatrix("mW", world);
        shader.DrawQuad(nullptr, quad, D3DXCOLOR(1, 1, 1, 1));
    }
}

// GPU work runs on the rasteriser's threads, so frames are timed by the wall clock.
#define FRAME_BENCHMARK(name) BENCHMARK(name)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0)
FRAME_BENCHMARK(BM_EmptyFrame);
FRAME_BENCHMARK(BM_GlowClear);
FRAME_BENCHMARK(BM_BlurApply);
FRAME_BENCHMARK(BM_GlowComposite);
FRAME_BENCHMARK(BM_Glow);
FRAME_BENCHMARK(BM_EffectQuads600);
FRAME_BENCHMARK(BM_EffectQuads600WithGlow);
BENCHMARK(BM_DrawQuadCpuNull)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
