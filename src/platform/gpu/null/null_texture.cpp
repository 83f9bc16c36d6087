// Null-device surfaces, textures and geometry buffers.
#include "platform/gpu/null/null_texture.h"

#include <algorithm>
#include <cstring>

namespace gpu {

NullSurface::NullSurface(std::uint32_t width, std::uint32_t height, D3DFORMAT format, Texture* owner)
    : width_(width), height_(height), format_(format), owner_(owner) {}

void NullSurface::Fill(D3DCOLOR color) {
    pendingFill_ = true;
    fillColor_ = color;
}

void NullSurface::Materialize() {
    std::size_t count = std::size_t(width_) * height_;
    if (format_ == D3DFMT_A16B16G16R16F) {
        if (floats_.size() != count * 4) floats_.assign(count * 4, 0.0f);
        if (pendingFill_) {
            const float c[4] = {((fillColor_ >> 16) & 0xFF) / 255.0f, ((fillColor_ >> 8) & 0xFF) / 255.0f,
                                (fillColor_ & 0xFF) / 255.0f, ((fillColor_ >> 24) & 0xFF) / 255.0f};
            for (std::size_t i = 0; i < count; ++i) std::memcpy(&floats_[i * 4], c, sizeof c);
        }
    } else if (format_ == D3DFMT_A8R8G8B8 || format_ == D3DFMT_X8R8G8B8) {
        if (words_.size() != count) words_.assign(count, 0);
        if (pendingFill_) std::fill(words_.begin(), words_.end(), fillColor_);
    }
    pendingFill_ = false;
}

std::uint32_t* NullSurface::Words() {
    Materialize();
    return words_.empty() ? nullptr : words_.data();
}

void NullSurface::ReadWords(std::vector<std::uint32_t>& out) {
    Materialize();
    out = words_;
}

bool NullSurface::ReadFloats(std::vector<float>& rgba) {
    Materialize();
    if (format_ == D3DFMT_A16B16G16R16F) {
        rgba = floats_;
        return true;
    }
    if (words_.empty()) return false;
    rgba.resize(words_.size() * 4);
    for (std::size_t i = 0; i < words_.size(); ++i) {
        std::uint32_t w = words_[i];
        rgba[i * 4 + 0] = ((w >> 16) & 0xFF) / 255.0f;
        rgba[i * 4 + 1] = ((w >> 8) & 0xFF) / 255.0f;
        rgba[i * 4 + 2] = (w & 0xFF) / 255.0f;
        rgba[i * 4 + 3] = format_ == D3DFMT_X8R8G8B8 ? 1.0f : ((w >> 24) & 0xFF) / 255.0f;
    }
    return true;
}

NullTexture::NullTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels, DWORD usage, D3DFORMAT format)
    : surface_(width, height, format, this), levels_(levels), usage_(usage) {}

std::shared_ptr<Surface> NullTexture::GetSurfaceLevel(std::uint32_t level) {
    if (level != 0) return nullptr;
    return std::shared_ptr<Surface>(shared_from_this(), &surface_);
}

bool NullTexture::LockRect(LockedRect* out) {
    if (!out || IsRenderTarget() || Format() == D3DFMT_A16B16G16R16F) return false;
    out->pBits = surface_.Words();
    out->Pitch = static_cast<std::int32_t>(Width() * 4);
    locked_ = out->pBits != nullptr;
    return locked_;
}

void NullGeometryBuffer::Update(const void* data, std::size_t bytes) {
    if (!data) return;
    std::memcpy(bytes_.data(), data, std::min(bytes, bytes_.size()));
}

} // namespace gpu
