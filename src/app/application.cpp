// The application shell: start-up and shut-down order and the main loop of fixed 16 ms frames.
#include "app/application.h"

#include <malloc.h>

#include <cstdio>
#include <string>

#include "app/frame_observer.h"
#include "app/scene_manager.h"
#include "map/map_manager.h"
#include "platform/audio/audio_device.h"
#include "platform/pad/gamepad.h"
#include "platform/window/clock.h"
#include "platform/text/translation.h"
#include "platform/window/message_box.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "simplelib/resource_cache.h"
#include "sound/sound_manager.h"

namespace {
constexpr std::int32_t kClientWidth = 1280;
constexpr std::int32_t kClientHeight = 720;
constexpr std::uint32_t kFramePeriod = 16;
constexpr std::uint32_t kFrameRateWindow = 1000;
// A pass catches up at most this many frames; further behind, the game slows down instead.
constexpr std::uint32_t kMostFramesPerPass = 5;

std::unique_ptr<Application>& Holder() {
    static std::unique_ptr<Application> instance = std::make_unique<Application>();
    return instance;
}
} // namespace

Application& Application::Instance() { return *Holder(); }

void Application::ResetInstance() { Holder() = std::make_unique<Application>(); }

bool Application::Create(void* moduleInstance) {
    instance = moduleInstance;
    if (!CreateMainWindow()) return false;
    timeBeginPeriod(1);
    bool fullScreen = AskFullScreen();
    if (!StartDevice(fullScreen)) return false;
    GraphicsDevice::Instance().SetDefaultStates();
    platform::audio::ForceLoopback(options.headless); // headless runs mix silently into memory
    SoundManager::Instance().Init();
    SoundManager::Instance().SetVolumes(settings.values.music, settings.values.effects);
    StartPad();
    ApplyGraphicsLevel();
    ShaderManager& shaders = ShaderManager::Instance();
    shaders.mainShader.Load();
    shaders.objectShader.Load();
    shaders.blur.Load();
    if (GraphicsDevice::Instance().device) GraphicsDevice::Instance().device->ShadersBuilt();
    SceneManager::Instance().changePending = false;
    MapManager::Instance().CreateOverlays();
    mainWindow.Show();
    platform::window::ShowCursor(false);
    quitRequested = false;
    stopped = false;
    SceneManager::Instance().window = window;
    SceneManager::Instance().lineup = &lineup;
    SceneManager::Instance().seeds = &seeds;
    SceneManager::Instance().checks = &checks;
    SceneManager::Instance().session = &session;
    SceneManager::Instance().settings = &settings;
    SceneManager::Instance().ChangeScene(kTitleScene);
    return true;
}

void Application::StartPad() {
    if (!options.realPad) return;
    std::string error;
    if (!platform::pad::Start(platform::pad::Source::Any, &error)) std::fprintf(stderr, "pad: %s\n", error.c_str());
}

bool Application::CreateMainWindow() {
    if (options.headless) {
        clientWidth = kClientWidth;
        clientHeight = kClientHeight;
        return true;
    }
    std::string error;
    if (!mainWindow.Create("Orlenda", kClientWidth, kClientHeight, &error)) {
        std::fprintf(stderr, "orlenda: %s\n", error.c_str());
        return false;
    }
    window = mainWindow.Handle();
    // SDL sizes windows by their client area, so this only reads back what was asked for.
    WindowProc(window, platform::window::WM_SIZE, 0, 0);
    return true;
}

bool Application::AskFullScreen() {
    if (options.headless) return false;
    if (options.fullScreenAnswer != 0) return options.fullScreenAnswer == IDYES;
    return MessageBoxA(window, platform::text::Translate("Play in full screen?"), "Orlenda",
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool Application::StartDevice(bool fullScreen) {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (options.headless) {
        if (graphics.InitNull(clientWidth, clientHeight, false)) return true;
        std::fprintf(stderr, "orlenda: cannot create the headless device\n");
        return false;
    }
    std::string error;
    if (fullScreen && !mainWindow.SetFullScreen(true, &error)) std::fprintf(stderr, "orlenda: %s\n", error.c_str());
    if (graphics.Init(window, clientWidth, clientHeight, fullScreen)) return true;
    MessageBoxA(window, platform::text::Translate("OpenGL 3.3 initialisation failed; the game cannot start."),
                "Orlenda", MB_OK);
    std::fprintf(stderr, "orlenda: cannot create the graphics device (OpenGL 3.3 core is needed)\n");
    return false;
}

int Application::Run() {
    paced = false;
    for (;;) {
        std::uint32_t secondStart = timeGetTime();
        for (;;) {
            if (quitRequested) {
                stopped = true;
                return 0;
            }
            if (stopped) return 0;
            // One message per pass, with the quit test before each; a frame runs once the queue is empty.
            platform::window::Message message;
            if (platform::window::PeekMessage(&message)) {
                WindowProc(message.window, message.message, message.wParam, message.lParam);
                continue;
            }
            RunPass();
            if (FramesExhausted()) return 0;
            if (timeGetTime() - secondStart > kFrameRateWindow) {
                SceneManager& scenes = SceneManager::Instance();
                if (scenes.scene) scenes.scene->framesPerSecond = frameCount;
                frameCount = 0;
                break;
            }
        }
    }
}

bool Application::FramesExhausted() const { return options.maxFrames != 0 && frameNumber >= options.maxFrames; }

std::uint32_t Application::DueFrames(std::uint32_t now) {
    if (!paced) {
        paced = true;
        nextFrameTime = now;
    }
    auto behind = static_cast<std::int32_t>(now - nextFrameTime);
    if (behind < 0) return 1;
    std::uint32_t due = 1 + std::uint32_t(behind) / kFramePeriod;
    if (due > kMostFramesPerPass) {
        // Too far behind to catch up: the time past the last few frames is let go, so the game
        // slows down instead of spending ever longer passes on updates.
        due = kMostFramesPerPass;
        nextFrameTime = now - (kMostFramesPerPass - 1) * kFramePeriod;
    }
    return due;
}

void Application::RunPass() {
    if (platform::clock::IsFixed()) {
        // Under the fixed clock a pass is one frame, paced as the game always was.
        std::uint32_t frameStart = timeGetTime();
        RunFrame(true);
        std::uint32_t elapsed = timeGetTime() - frameStart;
        if (elapsed < kFramePeriod) Sleep(kFramePeriod - elapsed);
        frameCount += 1;
        return;
    }
    // The real clock: as many 16 ms frames as it has run since the last pass, then one picture.
    std::uint32_t due = DueFrames(timeGetTime());
    for (std::uint32_t i = 1; i <= due; ++i) {
        bool last = i == due;
        if (!last && observer && observer->MustShow(frameNumber + 1)) last = true;
        bool ended = RunFrame(last);
        nextFrameTime += kFramePeriod;
        if (last || ended) break; // the frame that ends the loop is shown too
    }
    auto ahead = static_cast<std::int32_t>(nextFrameTime - timeGetTime());
    if (ahead > 0) Sleep(std::uint32_t(ahead));
    frameCount += 1;
}

bool Application::RunFrame(bool shown) {
    ++frameNumber;
    if (observer) observer->FrameStarting(frameNumber);
    platform::pad::Poll();
    lineup.Poll();
    SoundManager::Instance().Service();
    SceneManager& scenes = SceneManager::Instance();
    scenes.Update();
    scenes.Animate();
    if (scenes.scene && scenes.scene->exitRequested) stopped = true;
    if (observer) observer->SceneStepped(frameNumber);
    bool ended = stopped || quitRequested || FramesExhausted();
    if (ended) shown = true;
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    // A headless run has no picture anyone could see: its frames still run the scenes' render, but
    // the device throws the drawing away.
    if (device) device->DiscardDraws(!shown || options.drawNothing);
    // The options screen may have changed the level this very frame.
    ApplyGraphicsLevel();
    if (scenes.scene) scenes.scene->Render();
    if (device) {
        if (shown) device->Present();
        device->DiscardDraws(false);
    }
    if (observer) observer->FramePresented(frameNumber, shown);
    return ended;
}

// The driver bins each frame in 64 KB blocks, about 1.5 MB at the low level, and frees them when the
// frame is drawn. With the usual 128 KB threshold the heap gives them back to the system and faults
// them in again every frame, and each give-back interrupts the rasterizer threads' CPU: at the low
// level that was a sixth of the frame. It keeps 2 MB there; the other levels spend that memory on
// their glow targets and draw slowly enough that the churn hardly shows.
void Application::ApplyGraphicsLevel() {
    const GraphicsQuality quality = settings.values.graphics;
    GraphicsDevice::Instance().quality = quality;
    const int threshold = quality == GraphicsQuality::Low ? 2 << 20 : 128 << 10;
    if (threshold == heapTrimThreshold) return;
    mallopt(M_TRIM_THRESHOLD, threshold);
    heapTrimThreshold = threshold;
}

void Application::Shutdown() {
    SoundManager::Instance().Release();
    ResourceCache::Instance().Clear();
    MapManager& map = MapManager::Instance();
    map.ClearMap();
    map.fadeTexture.Release();
    map.dimTexture.Release();
    SceneManager& scenes = SceneManager::Instance();
    if (scenes.scene) {
        scenes.scene->Release();
        scenes.scene.reset();
    }
    // The effects live on the device, so they go before it.
    ShaderManager& shaders = ShaderManager::Instance();
    shaders.mainShader.Release();
    shaders.objectShader.Release();
    shaders.blur.Release();
    shaders.scene.Release();
    GraphicsDevice::Instance().Release();
    platform::pad::Stop();
    mainWindow.Destroy();
    window = nullptr;
    SceneManager::Instance().window = nullptr;
    SceneManager::Instance().lineup = nullptr;
    SceneManager::Instance().seeds = nullptr;
    SceneManager::Instance().checks = nullptr;
    SceneManager::Instance().session = nullptr;
    SceneManager::Instance().settings = nullptr;
}

std::intptr_t Application::WindowProc(void* hwnd, unsigned message, std::uintptr_t, std::intptr_t) {
    switch (message) {
    case platform::window::WM_SIZE: platform::window::GetClientSize(hwnd, &clientWidth, &clientHeight); return 0;
    case platform::window::WM_CLOSE: quitRequested = true; return 0;
    case platform::window::WM_MOUSEWHEEL: return 0; // the wheel does nothing in the game
    default: return 0;
    }
}
