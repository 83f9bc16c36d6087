// GL sprite batching and text drawing.
#include "platform/gpu/gl/gl_sprite.h"

#include <cstring>

namespace gpu {

GlSprite::GlSprite(std::shared_ptr<GlShared> shared) : shared_(std::move(shared)) {
    D3DXMatrixIdentity(&transform_);
    vertices_.reserve(4 * 256);
}

void GlSprite::Begin(DWORD flags) {
    if (begun_) Flush();
    flags_ = flags;
    begun_ = true;
}

void GlSprite::SetTransform(const D3DXMATRIX* transform) {
    if (transform) transform_ = *transform;
}

void GlSprite::Draw(Texture* texture, const RECT* source, const D3DXVECTOR3* center, const D3DXVECTOR3* position,
                    D3DCOLOR color) {
    if (!begun_ || !texture) return;
    float texW = float(texture->Width()), texH = float(texture->Height());
    RECT r = source ? *source : RECT{0, 0, std::int32_t(texture->Width()), std::int32_t(texture->Height())};
    float w = float(r.right - r.left), h = float(r.bottom - r.top);
    D3DXVECTOR3 p = position ? *position : D3DXVECTOR3();
    if (center) p -= *center;
    const D3DXMATRIX& m = transform_;
    auto corner = [&](float cx, float cy, float u, float v) {
        float x = p.x + cx, y = p.y + cy;
        vertices_.push_back({x * m._11 + y * m._21 + p.z * m._31 + m._41, x * m._12 + y * m._22 + p.z * m._32 + m._42,
                             u / texW, v / texH, color});
    };
    corner(0, 0, float(r.left), float(r.top));
    corner(w, 0, float(r.right), float(r.top));
    corner(0, h, float(r.left), float(r.bottom));
    corner(w, h, float(r.right), float(r.bottom));
    std::uint32_t quad = std::uint32_t(vertices_.size() / 4 - 1);
    if (!runs_.empty() && runs_.back().texture == texture) {
        ++runs_.back().quadCount;
    } else {
        runs_.push_back({texture, quad, 1});
        holds_.push_back(texture->weak_from_this().lock());
    }
}

void GlSprite::Flush() {
    if (shared_->device && !runs_.empty())
        shared_->device->DrawSprites(vertices_, runs_, (flags_ & D3DXSPRITE_ALPHABLEND) != 0);
    vertices_.clear();
    runs_.clear();
    holds_.clear();
}

void GlSprite::End() {
    Flush();
    begun_ = false;
}

GlFont::GlFont(std::shared_ptr<GlShared> shared, GlDevice* device, const D3DXFONT_DESCA& desc)
    : shared_(std::move(shared)), desc_(desc), face_(desc.Height) {
    atlas_ = device->CreateTexture(kAtlasSize, kAtlasSize, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
}

bool GlFont::Pack(const FontFace::GlyphImage& image, std::uint32_t* pixels, RECT* rect) {
    if (image.width + 2 > int(kAtlasSize) || image.height + 2 > int(kAtlasSize)) return false;
    if (penX_ + image.width + 1 > int(kAtlasSize)) {
        penX_ = 1;
        penY_ += rowHeight_ + 1;
        rowHeight_ = 0;
    }
    if (penY_ + image.height + 1 > int(kAtlasSize)) { // full: start the atlas over
        glyphs_.clear();
        std::memset(pixels, 0, std::size_t(kAtlasSize) * kAtlasSize * 4);
        penX_ = penY_ = 1;
        rowHeight_ = 0;
    }
    for (int y = 0; y < image.height; ++y)
        std::memcpy(&pixels[std::size_t(penY_ + y) * kAtlasSize + penX_], &image.pixels[std::size_t(y) * image.width],
                    std::size_t(image.width) * 4);
    *rect = RECT{penX_, penY_, penX_ + image.width, penY_ + image.height};
    penX_ += image.width + 1;
    rowHeight_ = std::max(rowHeight_, image.height);
    return true;
}

void GlFont::AddMissingGlyphs(std::string_view text) {
    LockedRect locked;
    bool open = false;
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t cp = NextCodePoint(text, &pos);
        if (cp == U'\n' || glyphs_.count(cp)) continue;
        Glyph glyph;
        FontFace::GlyphImage image;
        if (atlas_ && face_.Render(cp, &image)) {
            if (!open) open = atlas_->LockRect(&locked);
            if (open) glyph.drawable = Pack(image, static_cast<std::uint32_t*>(locked.pBits), &glyph.rect);
        }
        glyphs_[cp] = glyph;
    }
    if (open) atlas_->UnlockRect();
}

int GlFont::DrawTextA(Sprite* sprite, const char* text, int count, RECT* rect, DWORD format, D3DCOLOR color) {
    std::string_view s = FontText(text, count);
    int width = 0, height = 0;
    face_.Measure(s, &width, &height);
    if (format & DT_CALCRECT) {
        if (rect) {
            rect->right = rect->left + width;
            rect->bottom = rect->top + height;
        }
        return height;
    }
    if (s.empty() || !atlas_ || !shared_->device) return height;
    AddMissingGlyphs(s);
    bool own = sprite == nullptr;
    if (own) {
        if (!ownSprite_) ownSprite_ = std::make_unique<GlSprite>(shared_);
        ownSprite_->Begin(D3DXSPRITE_ALPHABLEND);
        sprite = ownSprite_.get();
    }
    float x0 = rect ? float(rect->left) : 0, y = rect ? float(rect->top) : 0, x = x0;
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t cp = NextCodePoint(s, &pos);
        if (cp == U'\n') {
            x = x0;
            y += float(face_.LineHeight());
            continue;
        }
        auto it = glyphs_.find(cp);
        if (it != glyphs_.end() && it->second.drawable) {
            D3DXVECTOR3 at(x, y, 0);
            sprite->Draw(atlas_.get(), &it->second.rect, nullptr, &at, color);
        }
        x += float(face_.Advance(cp));
    }
    if (own) ownSprite_->End();
    return height;
}

} // namespace gpu
