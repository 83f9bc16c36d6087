// Null-device resources: surfaces with CPU pixels, textures over them, geometry byte buffers.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/gpu/texture_limits.h"

namespace gpu {

class NullSurface final : public Surface {
public:
    NullSurface(std::uint32_t width, std::uint32_t height, D3DFORMAT format, Texture* owner);

    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }
    D3DFORMAT Format() const override { return format_; }
    Texture* OwnerTexture() const override { return owner_; }

    // A clear is remembered, not written: the pixels are produced only when someone reads them.
    void Fill(D3DCOLOR color);
    // 0xAARRGGBB words (8-bit formats only); the storage a lock hands out.
    std::uint32_t* Words();
    void ReadWords(std::vector<std::uint32_t>& out);
    bool ReadFloats(std::vector<float>& rgba);

private:
    void Materialize();

    std::uint32_t width_, height_;
    D3DFORMAT format_;
    Texture* owner_;
    std::vector<std::uint32_t> words_; // A8R8G8B8 / X8R8G8B8
    std::vector<float> floats_;        // A16B16G16R16F as r, g, b, a floats
    bool pendingFill_ = false;
    D3DCOLOR fillColor_ = 0;
};

class NullTexture final : public Texture {
public:
    NullTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels, DWORD usage, D3DFORMAT format);

    std::uint32_t Width() const override { return surface_.Width(); }
    std::uint32_t Height() const override { return surface_.Height(); }
    std::uint32_t LevelCount() const override { return levels_; }
    D3DFORMAT Format() const override { return surface_.Format(); }
    bool IsRenderTarget() const override { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
    std::shared_ptr<Surface> GetSurfaceLevel(std::uint32_t level) override;
    bool LockRect(LockedRect* out) override;
    void UnlockRect() override { locked_ = false; }

    NullSurface& Level0() { return surface_; }
    bool IsLocked() const { return locked_; }

private:
    NullSurface surface_;
    std::uint32_t levels_;
    DWORD usage_;
    bool locked_ = false;
};

class NullGeometryBuffer final : public GeometryBuffer {
public:
    explicit NullGeometryBuffer(std::size_t bytes) : bytes_(bytes, 0) {}
    std::size_t Size() const override { return bytes_.size(); }
    void Update(const void* data, std::size_t bytes) override;
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace gpu
