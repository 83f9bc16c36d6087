// SimpleLib::CTexture: the one texture record of the game (files, render targets, overlays, glyphs).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gpu/device.h"

namespace SimpleLib {

class CTexture {
public:
    CTexture() = default;
    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;
    ~CTexture() { Release(); }

    // Loads an image file on the application's device; keepSize keeps the image's own size,
    // otherwise the texture gets power-of-two sides (at the low graphics level at most 512, the
    // world's textures being all that load so) and `rect` still covers the image.
    bool Load(const std::string& path, bool keepSize);
    // Loads on the given device with power-of-two sides (map-object materials).
    bool Load(gpu::Device* device, const std::string& path);
    // Both of the above: the given device, either size rule.
    bool Load(gpu::Device* device, const std::string& path, bool keepSize);
    bool Create(std::uint32_t width, std::uint32_t height, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    bool FillWhite();
    void Release();

    std::shared_ptr<gpu::Texture> texture;
    std::shared_ptr<gpu::Surface> surface;
    D3DXIMAGE_INFO info;
    RECT rect;
    std::string path;
};

} // namespace SimpleLib
