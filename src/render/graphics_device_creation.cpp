// Creation of the graphics device on either backend, with its sprite batcher and font.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gpu/backends.h"
#include "platform/text/translation.h"
#include "platform/window/message_box.h"
#include "render/graphics_device.h"
#include "render/placed_sprite.h"

namespace {
D3DXFONT_DESCA FrameRateFont() {
    D3DXFONT_DESCA desc;
    desc.Height = 12;
    desc.CharSet = 1; // DEFAULT_CHARSET
    std::strncpy(desc.FaceName, "ＭＳ Ｐゴシック", sizeof desc.FaceName - 1);
    return desc;
}

// What both backends get once the device exists: the sprite, the font and the creation surfaces.
void AttachDeviceObjects(GraphicsDevice& graphics) {
    gpu::Device& device = *graphics.device;
    graphics.presentParameters = device.PresentParameters();
    if (std::unique_ptr<gpu::Sprite> sprite = device.CreateSprite())
        graphics.sprite = std::make_unique<PlacedSprite>(std::move(sprite));
    graphics.font = device.CreateFont(FrameRateFont());
    if (graphics.font) graphics.font->GetDescA(&graphics.fontDesc);
    graphics.backBuffer = device.GetRenderTarget(0);
    graphics.depthStencil = device.GetDepthStencilSurface();
}
} // namespace

bool GraphicsDevice::Init(void* window, std::int32_t width, std::int32_t height, bool fullScreen) {
    std::string error;
    device = gpu::CreateOpenGLDevice(static_cast<SDL_Window*>(window), std::uint32_t(width), std::uint32_t(height),
                                     fullScreen, &error);
    if (!device) {
        std::fprintf(stderr, "gpu: %s\n", error.c_str());
        MessageBoxA(window, platform::text::Translate("OpenGL 3.3 could not be initialised."),
                    platform::text::Translate("OpenGL 3.3 initialisation"), MB_ICONERROR);
        return false;
    }
    AttachDeviceObjects(*this);
    return true;
}

bool GraphicsDevice::InitNull(std::int32_t width, std::int32_t height, bool recordDraws) {
    device = gpu::CreateNullDevice(std::uint32_t(width), std::uint32_t(height), recordDraws);
    if (!device) return false;
    AttachDeviceObjects(*this);
    return true;
}
