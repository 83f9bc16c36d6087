// The one rendering device of the game, with its shared sprite batcher and font.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gpu/device.h"
#include "render/graphics_quality.h"

class GraphicsDevice {
public:
    static GraphicsDevice& Instance();
    // Drops the singleton and everything it holds, so a test starts from a clean device.
    static void ResetInstance();

    // Creates the device on a window (an SDL_Window*). fullScreen selects the exclusive mode.
    bool Init(void* window, std::int32_t width, std::int32_t height, bool fullScreen);
    // A device without a window or GPU (headless runs and tests): same interface, nothing drawn.
    // recordDraws off skips the draw log tests read, which a long headless run does not need.
    bool InitNull(std::int32_t width, std::int32_t height, bool recordDraws = true);
    void SetDefaultStates();
    void SetDirectionalLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& diffuse, const D3DCOLORVALUE& ambient,
                             const D3DCOLORVALUE& specular);
    void DrawScreenQuad(float x, float y, float width, float height, float uMax, float vMax);
    void Release();

    std::unique_ptr<gpu::Device> device;
    D3DPRESENT_PARAMETERS presentParameters;
    std::unique_ptr<gpu::Sprite> sprite;
    std::unique_ptr<gpu::Font> font;
    D3DXFONT_DESCA fontDesc;
    std::shared_ptr<gpu::Surface> backBuffer;
    std::shared_ptr<gpu::Surface> depthStencil;
    // The level pictures are drawn at: the shell hands it over from the settings in force before
    // each picture, so a change takes effect at the next one.
    GraphicsQuality quality = GraphicsQuality::Full;

    // One view's HUD on a shared screen: until EndHudArea, sprites land in `area` (pixels of the back
    // buffer) and ScreenWidth/ScreenHeight give the screen the HUD lays itself out on, the area's
    // size divided by `scale`.
    void BeginHudArea(const RECT& area, float scale);
    // The same with any placement after the sprites' own transforms, on a width x height screen.
    void BeginHudArea(const D3DXMATRIX& placement, float width, float height);
    void EndHudArea();
    float hudWidth = 0.0f, hudHeight = 0.0f; // 0 outside a HUD area
};

// Width and height of the back buffer, in pixels, for placing 2D images on the screen.
float ScreenWidth();
float ScreenHeight();
