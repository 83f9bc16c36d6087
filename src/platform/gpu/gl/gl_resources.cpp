// GL textures and geometry buffers. Uploaded images keep row 0 at GL row 0, which is the top of
// the image in this device's conventions, so texture coordinates need no flip.
#include "platform/gpu/gl/gl_resources.h"

#include <algorithm>
#include <cstring>

#include "platform/gpu/gl/gl_device.h"

namespace gpu {

namespace {
// Bytes of a mip chain of `levels` levels, each half the size of the one before (at least 1).
std::uint64_t ChainBytes(std::uint32_t width, std::uint32_t height, std::uint32_t levels, std::uint32_t texelBytes) {
    std::uint64_t total = 0;
    for (std::uint32_t level = 0; level < levels; ++level) {
        total += std::uint64_t(width) * height * texelBytes;
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
    return total;
}
} // namespace

GlTexture::GlTexture(std::shared_ptr<GlShared> shared, std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                     DWORD usage, D3DFORMAT format)
    : shared_(std::move(shared)), surface_(width, height, format, this, 0), levels_(levels), usage_(usage) {
    GlDevice* device = shared_->device;
    if (!device) return;
    bool half = format == D3DFMT_A16B16G16R16F;
    glGenTextures(1, &id_);
    device->Gl().BindTexture(0, id_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_ - 1));
    if (format == D3DFMT_X8R8G8B8) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    if (!IsRenderTarget() && !half) {
        // Storage only: every managed texture is filled through a lock right after creation, and
        // uploading zeros (and building their mipmaps) first doubled the start-up cost of textures.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, half ? GL_RGBA16F : GL_RGBA8, width, height, 0, GL_RGBA,
                     half ? GL_HALF_FLOAT : GL_UNSIGNED_BYTE, nullptr);
    }
    surface_.SetGlTexture(id_);
    storedBytes_ = ChainBytes(width, height, levels_, half ? 8 : 4);
    shared_->memory.imageBytes += storedBytes_;
}

GlTexture::~GlTexture() {
    shared_->memory.imageBytes -= storedBytes_;
    if (shared_->device && id_) {
        shared_->device->OnTextureDeleted(id_);
        glDeleteTextures(1, &id_);
    }
}

std::shared_ptr<Surface> GlTexture::GetSurfaceLevel(std::uint32_t level) {
    if (level != 0) return nullptr;
    return std::shared_ptr<Surface>(shared_from_this(), &surface_);
}

bool GlTexture::Lockable() const { return !IsRenderTarget() && Format() != D3DFMT_A16B16G16R16F; }

bool GlTexture::LockRect(LockedRect* out) {
    if (!out || !Lockable() || !shared_->device || !id_) return false;
    if (!locked_) {
        // A fresh texture locks as zeros, as it always has; a filled one hands out what it holds.
        pixels_.assign(std::size_t(Width()) * Height(), 0);
        if (uploaded_) ReadBack();
    }
    out->pBits = pixels_.data();
    out->Pitch = static_cast<std::int32_t>(Width() * 4);
    locked_ = true;
    return true;
}

void GlTexture::UnlockRect() {
    if (!locked_) return;
    locked_ = false;
    Upload();
    std::vector<std::uint32_t>().swap(pixels_);
}

void GlTexture::ReadBack() {
    shared_->device->Gl().BindTexture(0, id_);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels_.data());
}

void GlTexture::Upload() {
    GlDevice* device = shared_->device;
    if (!device || !id_) return;
    device->Gl().BindTexture(0, id_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, Width(), Height(), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels_.data());
    if (levels_ > 1) glGenerateMipmap(GL_TEXTURE_2D);
    uploaded_ = true;
    opaque_ = Format() == D3DFMT_X8R8G8B8 ||
              std::all_of(pixels_.begin(), pixels_.end(), [](std::uint32_t texel) { return texel >> 24 == 0xFF; });
}

GlDepthSurface::GlDepthSurface(std::shared_ptr<GlShared> shared, std::uint32_t width, std::uint32_t height)
    : shared_(std::move(shared)), width_(width), height_(height) {
    if (!shared_->device) return;
    glGenRenderbuffers(1, &id_);
    glBindRenderbuffer(GL_RENDERBUFFER, id_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, GLsizei(width), GLsizei(height));
    shared_->memory.imageBytes += std::uint64_t(width) * height * 4;
}

GlDepthSurface::~GlDepthSurface() {
    if (!id_) return;
    shared_->memory.imageBytes -= std::uint64_t(width_) * height_ * 4;
    if (!shared_->device) return;
    shared_->device->OnRenderbufferDeleted(id_);
    glDeleteRenderbuffers(1, &id_);
}

GlGeometryBuffer::GlGeometryBuffer(std::shared_ptr<GlShared> shared, std::size_t bytes)
    : shared_(std::move(shared)), size_(bytes) {
    GlDevice* device = shared_->device;
    if (!device) return;
    glGenBuffers(1, &id_);
    device->Gl().BindArrayBuffer(id_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
    shared_->memory.geometryBytes += size_;
}

GlGeometryBuffer::~GlGeometryBuffer() {
    if (id_) shared_->memory.geometryBytes -= size_;
    if (shared_->device && id_) {
        shared_->device->OnBufferDeleted(id_);
        glDeleteBuffers(1, &id_);
    }
}

void GlGeometryBuffer::Update(const void* data, std::size_t bytes) {
    GlDevice* device = shared_->device;
    if (!device || !id_ || !data) return;
    device->Gl().BindArrayBuffer(id_);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(std::min(bytes, size_)), data);
}

} // namespace gpu
