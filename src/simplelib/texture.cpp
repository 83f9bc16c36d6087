// CTexture: PNG files and blank textures on the application's device.
#include "simplelib/texture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/image/png_image.h"
#include "render/graphics_device.h"

namespace SimpleLib {

namespace {
constexpr std::uint32_t kResourceTypeTexture = 3; // D3DRTYPE_TEXTURE
constexpr std::uint32_t kImageFilePng = 3;        // D3DXIFF_PNG
// The low graphics level draws the world at half the screen's width and height: a world texture's
// finest level past this side would be read only right in front of the camera, yet it holds three
// quarters of the texture's memory, and a software rasterizer reads a smaller texture faster.
constexpr std::uint32_t kLowWorldTextureSide = 512;

// Copies rows into a locked level 0, honouring the pitch the device chose.
bool Upload(gpu::Texture& texture, const platform::image::Image& image) {
    gpu::LockedRect locked;
    if (!texture.LockRect(&locked) || !locked.pBits) return false;
    auto* bytes = static_cast<std::uint8_t*>(locked.pBits);
    for (std::uint32_t y = 0; y < image.height; ++y)
        std::memcpy(bytes + std::size_t(y) * locked.Pitch, &image.pixels[std::size_t(y) * image.width],
                    std::size_t(image.width) * 4);
    texture.UnlockRect();
    return true;
}
} // namespace

bool CTexture::Load(const std::string& filePath, bool keepSize) {
    return Load(GraphicsDevice::Instance().device.get(), filePath, keepSize);
}

bool CTexture::Load(gpu::Device* device, const std::string& filePath) { return Load(device, filePath, false); }

bool CTexture::Load(gpu::Device* device, const std::string& filePath, bool keepSize) {
    Release();
    path = filePath;
    if (!device) return false;
    platform::image::Image image;
    std::string error;
    if (!platform::image::LoadPng(filePath, &image, &error)) {
        std::fprintf(stderr, "texture: %s\n", error.c_str());
        return false;
    }
    platform::image::Image sized;
    const platform::image::Image* pixels = &image;
    if (!keepSize) {
        std::uint32_t width = platform::image::NextPowerOfTwo(image.width);
        std::uint32_t height = platform::image::NextPowerOfTwo(image.height);
        if (width != image.width || height != image.height) {
            const std::string reason = platform::image::OversizeReason(width, height);
            if (!reason.empty()) {
                std::fprintf(stderr, "texture: %s: as a power-of-two texture %s\n", filePath.c_str(), reason.c_str());
                return false;
            }
            sized = platform::image::Resize(image, width, height);
            pixels = &sized;
        }
        // Halving with centred samples averages each 2 x 2 block, as a mip level does.
        while (GraphicsDevice::Instance().quality == GraphicsQuality::Low &&
               std::max(pixels->width, pixels->height) > kLowWorldTextureSide) {
            sized = platform::image::Resize(*pixels, std::max(1u, pixels->width / 2), std::max(1u, pixels->height / 2));
            pixels = &sized;
        }
    }
    // Level count 0 asks for the whole mip chain, as the file loader of the original device did.
    texture = device->CreateTexture(pixels->width, pixels->height, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    if (!texture || !Upload(*texture, *pixels)) {
        texture.reset();
        return false;
    }
    info.Width = image.width;
    info.Height = image.height;
    info.Depth = 1;
    info.MipLevels = texture->LevelCount();
    info.Format = D3DFMT_A8R8G8B8;
    info.ResourceType = kResourceTypeTexture;
    info.ImageFileFormat = kImageFilePng;
    surface = texture->GetSurfaceLevel(0);
    if (!surface) return false;
    rect = RECT{0, 0, std::int32_t(info.Width), std::int32_t(info.Height)};
    return true;
}

bool CTexture::Create(std::uint32_t width, std::uint32_t height, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
    Release();
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (!device) return false;
    texture = device->CreateTexture(width, height, 1, usage, format, pool);
    if (!texture) return false;
    surface = texture->GetSurfaceLevel(0);
    if (!surface) return false;
    info.Width = surface->Width();
    info.Height = surface->Height();
    info.Format = surface->Format();
    info.MipLevels = texture->LevelCount();
    rect = RECT{0, 0, std::int32_t(surface->Width()), std::int32_t(surface->Height())};
    return true;
}

bool CTexture::FillWhite() {
    if (!texture) return false;
    gpu::LockedRect locked;
    if (!texture->LockRect(&locked) || !locked.pBits) return false;
    auto* bytes = static_cast<std::uint8_t*>(locked.pBits);
    for (std::uint32_t y = 0; y < info.Height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(bytes + std::size_t(y) * locked.Pitch);
        for (std::uint32_t x = 0; x < info.Width; ++x) row[x] = 0xFFFFFFFF;
    }
    texture->UnlockRect();
    return true;
}

void CTexture::Release() {
    surface.reset();
    texture.reset();
    path.clear();
    info = D3DXIMAGE_INFO{};
    rect = RECT{};
}

} // namespace SimpleLib
