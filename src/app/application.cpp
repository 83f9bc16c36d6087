// The application shell: start-up and shut-down order and the 16 ms paced main loop.
#include "app/application.h"

#include <cstdio>
#include <string>

#include "app/frame_observer.h"
#include "app/scene_manager.h"
#include "map/map_manager.h"
#include "platform/audio/audio_device.h"
#include "platform/window/clock.h"
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
    ShaderManager& shaders = ShaderManager::Instance();
    shaders.mainShader.Load();
    shaders.objectShader.Load();
    shaders.blur.Load();
    SceneManager::Instance().changePending = false;
    MapManager::Instance().CreateOverlays();
    mainWindow.Show();
    platform::window::ShowCursor(false);
    quitRequested = false;
    stopped = false;
    SceneManager::Instance().ChangeScene(0);
    return true;
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
    return MessageBoxA(window, "フルスクリーンにしますか？", "Orlenda", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
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
    MessageBoxA(window, "Direct3D初期化ミス", "", MB_OK);
    std::fprintf(stderr, "orlenda: cannot create the graphics device (OpenGL 3.3 core is needed)\n");
    return false;
}

int Application::Run() {
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
            RunFrame();
            if (options.maxFrames != 0 && frameNumber >= options.maxFrames) return 0;
            if (timeGetTime() - secondStart > kFrameRateWindow) {
                SceneManager& scenes = SceneManager::Instance();
                if (scenes.scene) scenes.scene->framesPerSecond = frameCount;
                frameCount = 0;
                break;
            }
        }
    }
}

void Application::RunFrame() {
    std::uint32_t frameStart = timeGetTime();
    ++frameNumber;
    if (observer) observer->FrameStarting(frameNumber);
    SceneManager& scenes = SceneManager::Instance();
    scenes.Update();
    if (observer) observer->SceneStepped(frameNumber);
    if (scenes.scene) scenes.scene->Render();
    if (GraphicsDevice::Instance().device) GraphicsDevice::Instance().device->Present();
    if (observer) observer->FramePresented(frameNumber);
    // A frame that ran long is not made up later.
    std::uint32_t elapsed = timeGetTime() - frameStart;
    if (elapsed < kFramePeriod) Sleep(kFramePeriod - elapsed);
    frameCount += 1;
}

void Application::Shutdown() {
    SoundManager::Instance().Release();
    ResourceCache::Instance().Clear();
    MapManager& map = MapManager::Instance();
    map.ClearMap();
    map.timer.digits.Release();
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
    GraphicsDevice::Instance().Release();
    mainWindow.Destroy();
    window = nullptr;
}

std::intptr_t Application::WindowProc(void* hwnd, unsigned message, std::uintptr_t, std::intptr_t) {
    switch (message) {
    case platform::window::WM_SIZE: platform::window::GetClientSize(hwnd, &clientWidth, &clientHeight); return 0;
    case platform::window::WM_CLOSE: quitRequested = true; return 0;
    case platform::window::WM_MOUSEWHEEL: return 0; // the wheel does nothing in the game
    default: return 0;
    }
}
