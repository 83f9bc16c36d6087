// The smaller world target of the low graphics level and its stretch over the back buffer.
#include "render/scene_target.h"

#include <algorithm>

#include "render/graphics_device.h"
#include "render/graphics_quality.h"
#include "render/shader_manager.h"

namespace {
// Half the width and height: a quarter of the pixels.
constexpr std::uint32_t kLowDivisor = 2;
} // namespace

void SceneTarget::SizeFor(std::uint32_t width, std::uint32_t height, std::uint32_t* sceneWidth,
                          std::uint32_t* sceneHeight) {
    const std::uint32_t divisor = GraphicsDevice::Instance().quality == GraphicsQuality::Low ? kLowDivisor : 1;
    *sceneWidth = std::max<std::uint32_t>(1, width / divisor);
    *sceneHeight = std::max<std::uint32_t>(1, height / divisor);
}

bool SceneTarget::Create(std::uint32_t width, std::uint32_t height) {
    if (colour_.surface && colour_.info.Width == width && colour_.info.Height == height && depth_) return true;
    Release();
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (!device) return false;
    if (!colour_.Create(width, height, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT)) return false;
    depth_ = device->CreateDepthStencilSurface(width, height);
    if (!depth_) Release();
    return depth_ != nullptr;
}

void SceneTarget::Begin() {
    active_ = false;
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (!graphics.device) return;
    const D3DPRESENT_PARAMETERS& pp = graphics.presentParameters;
    std::uint32_t width = 0, height = 0;
    SizeFor(pp.BackBufferWidth, pp.BackBufferHeight, &width, &height);
    if (width == pp.BackBufferWidth && height == pp.BackBufferHeight) {
        Release(); // a level that draws the world whole holds no second target
        return;
    }
    // Without the stretch's effect the smaller picture could not reach the screen.
    if (!ShaderManager::Instance().blur.effect || !Create(width, height)) return;
    graphics.device->SetRenderTarget(0, colour_.surface);
    graphics.device->SetDepthStencilSurface(depth_);
    active_ = true;
}

void SceneTarget::End() {
    if (!active_) return;
    active_ = false;
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    gpu::Device& device = *graphics.device;
    device.BeginPhase("stretch");
    device.SetRenderTarget(0, graphics.backBuffer);
    device.SetDepthStencilSurface(nullptr);
    // The stretch covers every pixel with an opaque copy: no blend, no depth.
    const DWORD blend = device.GetRenderState(D3DRS_ALPHABLENDENABLE);
    const DWORD z = device.GetRenderState(D3DRS_ZENABLE);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device.SetRenderState(D3DRS_ZENABLE, FALSE);
    const D3DPRESENT_PARAMETERS& pp = graphics.presentParameters;
    ShaderManager::Instance().blur.Copy(0, 0, colour_, static_cast<float>(pp.BackBufferWidth),
                                        static_cast<float>(pp.BackBufferHeight));
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
    device.SetRenderState(D3DRS_ZENABLE, z);
}

void SceneTarget::Release() {
    colour_.Release();
    depth_.reset();
    active_ = false;
}
