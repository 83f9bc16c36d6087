// Null sprite and font: sprite draws are logged with their screen position, text with its rectangle.
#include "platform/gpu/null/null_sprite.h"

#include <cstring>

namespace gpu {

void SpriteTopLeft(const D3DXMATRIX& m, const D3DXVECTOR3* center, const D3DXVECTOR3* position, float* x, float* y) {
    D3DXVECTOR3 p = position ? *position : D3DXVECTOR3();
    if (center) p -= *center;
    *x = p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41;
    *y = p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42;
}

NullSprite::NullSprite(std::shared_ptr<NullDeviceLink> link) : link_(std::move(link)) {
    D3DXMatrixIdentity(&transform_);
}

void NullSprite::Begin(DWORD flags) {
    flags_ = flags;
    begun_ = true;
    runTexture_ = nullptr;
}

void NullSprite::SetTransform(const D3DXMATRIX* transform) {
    if (transform) transform_ = *transform;
}

void NullSprite::Draw(Texture* texture, const RECT* source, const D3DXVECTOR3* center, const D3DXVECTOR3* position,
                      D3DCOLOR color) {
    NullDevice* device = link_->device;
    if (!device) return;
    if (!begun_ || !texture) {
        ++device->rejectedDraws;
        return;
    }
    NullSpriteRecord r;
    r.texture = texture;
    r.source =
        source ? *source
               : RECT{0, 0, static_cast<std::int32_t>(texture->Width()), static_cast<std::int32_t>(texture->Height())};
    r.transform = transform_;
    r.color = color;
    r.beginFlags = flags_;
    SpriteTopLeft(transform_, center, position, &r.x, &r.y);
    device->LogSprite(r);
    if (texture != runTexture_) ++runs_;
    runTexture_ = texture;
    ++quads_;
}

void NullSprite::Flush() {
    if (link_->device) link_->device->CountDraws(runs_, quads_ * 2);
    runs_ = quads_ = 0;
    runTexture_ = nullptr;
}

void NullSprite::End() {
    Flush();
    begun_ = false;
}

NullFont::NullFont(std::shared_ptr<NullDeviceLink> link, const D3DXFONT_DESCA& desc)
    : link_(std::move(link)), desc_(desc) {}

int NullFont::DrawTextA(Sprite*, const char* text, int count, RECT* rect, DWORD format, D3DCOLOR color) {
    std::string_view s = FontText(text, count);
    if (!face_) face_ = std::make_unique<FontFace>(desc_.Height);
    int width = 0, height = 0;
    face_->Measure(s, &width, &height);
    if (format & DT_CALCRECT) {
        if (rect) {
            rect->right = rect->left + width;
            rect->bottom = rect->top + height;
        }
        return height;
    }
    if (!s.empty() && link_->device) {
        link_->device->LogText({std::string(s), rect ? *rect : RECT{}, format, color});
        link_->device->CountDraws(1, 0);
    }
    return height;
}

} // namespace gpu
