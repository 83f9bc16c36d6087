// OpenGL-device resources: textures (managed, or render targets), their level-0 surfaces, the
// back buffer and depth surfaces, and static geometry buffers. Managed textures hold CPU pixels only
// while locked: the driver keeps its own copy, and a second one per texture cost tens of megabytes.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gpu/device.h"

namespace gpu {

class GlDevice;

// Shared by the device and everything it creates; `device` is cleared when the device and its
// GL context go away, after which resources only free their CPU memory.
struct GlShared {
    GlDevice* device = nullptr;
    DeviceMemory memory; // what the resources alive now asked the driver to store
};

class GlSurface final : public Surface {
public:
    GlSurface(std::uint32_t width, std::uint32_t height, D3DFORMAT format, Texture* owner, GLuint texture)
        : width_(width), height_(height), format_(format), owner_(owner), texture_(texture) {}
    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }
    D3DFORMAT Format() const override { return format_; }
    Texture* OwnerTexture() const override { return owner_; }
    GLuint GlTexture() const { return texture_; } // 0 for the depth surface
    void SetGlTexture(GLuint texture) { texture_ = texture; }

private:
    std::uint32_t width_, height_;
    D3DFORMAT format_;
    Texture* owner_;
    GLuint texture_;
};

// A depth-stencil renderbuffer of its own size (CreateDepthStencilSurface).
class GlDepthSurface final : public Surface {
public:
    GlDepthSurface(std::shared_ptr<GlShared> shared, std::uint32_t width, std::uint32_t height);
    ~GlDepthSurface() override;
    std::uint32_t Width() const override { return width_; }
    std::uint32_t Height() const override { return height_; }
    D3DFORMAT Format() const override { return D3DFMT_D24S8; }
    Texture* OwnerTexture() const override { return nullptr; }
    GLuint Renderbuffer() const { return id_; }

private:
    std::shared_ptr<GlShared> shared_;
    std::uint32_t width_, height_;
    GLuint id_ = 0;
};

class GlTexture final : public Texture {
public:
    GlTexture(std::shared_ptr<GlShared> shared, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
              DWORD usage, D3DFORMAT format);
    ~GlTexture() override;

    std::uint32_t Width() const override { return surface_.Width(); }
    std::uint32_t Height() const override { return surface_.Height(); }
    std::uint32_t LevelCount() const override { return levels_; }
    D3DFORMAT Format() const override { return surface_.Format(); }
    bool IsRenderTarget() const override { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
    std::shared_ptr<Surface> GetSurfaceLevel(std::uint32_t level) override;
    bool LockRect(LockedRect* out) override;
    void UnlockRect() override;
    bool Opaque() const override { return opaque_; }

    GLuint Id() const { return id_; }
    bool Valid() const { return id_ != 0; }

private:
    bool Lockable() const;
    void ReadBack();
    void Upload();

    std::shared_ptr<GlShared> shared_;
    GlSurface surface_;
    std::uint32_t levels_;
    DWORD usage_;
    GLuint id_ = 0;
    std::uint64_t storedBytes_ = 0;
    std::vector<std::uint32_t> pixels_; // managed 8-bit textures: level 0 while a lock is open
    bool locked_ = false;
    bool uploaded_ = false; // level 0 holds pixels a lock gave (before that its contents are undefined)
    bool opaque_ = false;   // the last upload's texels all had full alpha
};

class GlGeometryBuffer final : public GeometryBuffer {
public:
    GlGeometryBuffer(std::shared_ptr<GlShared> shared, std::size_t bytes);
    ~GlGeometryBuffer() override;
    std::size_t Size() const override { return size_; }
    void Update(const void* data, std::size_t bytes) override;
    GLuint Id() const { return id_; }

private:
    std::shared_ptr<GlShared> shared_;
    std::size_t size_;
    GLuint id_ = 0;
};

} // namespace gpu
