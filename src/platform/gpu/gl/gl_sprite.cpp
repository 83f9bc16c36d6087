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
    atlas_ = device->CreateTexture(atlasSize_, atlasSize_, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
}

GlFont::PackResult GlFont::Pack(const FontFace::GlyphImage& image, std::uint32_t* pixels, RECT* rect) {
    if (image.width + 2 > int(kAtlasSize) || image.height + 2 > int(kAtlasSize)) return PackResult::TooBig;
    const int size = int(atlasSize_);
    int x = penX_, y = penY_, row = rowHeight_;
    if (x + image.width + 1 > size) {
        x = 1;
        y += row + 1;
        row = 0;
    }
    if (x + image.width + 1 > size || y + image.height + 1 > size) {
        if (atlasSize_ < kAtlasSize) return PackResult::Full;
        glyphs_.clear(); // full at the largest size: start the atlas over
        std::memset(pixels, 0, std::size_t(size) * std::size_t(size) * 4);
        x = y = 1;
        row = 0;
    }
    for (int line = 0; line < image.height; ++line)
        std::memcpy(&pixels[std::size_t(y + line) * std::size_t(size) + std::size_t(x)],
                    &image.pixels[std::size_t(line) * std::size_t(image.width)], std::size_t(image.width) * 4);
    *rect = RECT{x, y, x + image.width, y + image.height};
    penX_ = x + image.width + 1;
    penY_ = y;
    rowHeight_ = std::max(row, image.height);
    return PackResult::Packed;
}

// Twice the size, the glyphs packed so far at the same places; batches still holding the old
// atlas draw from it.
bool GlFont::Grow() {
    GlDevice* device = shared_->device;
    const std::uint32_t size = atlasSize_ * 2;
    auto bigger = device ? device->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED) : nullptr;
    LockedRect from, to;
    if (!bigger || !atlas_->LockRect(&from)) return false;
    bool copied = bigger->LockRect(&to);
    for (std::uint32_t y = 0; copied && y < atlasSize_; ++y)
        std::memcpy(static_cast<std::uint8_t*>(to.pBits) + std::size_t(y) * std::size_t(to.Pitch),
                    static_cast<const std::uint8_t*>(from.pBits) + std::size_t(y) * std::size_t(from.Pitch),
                    std::size_t(atlasSize_) * 4);
    atlas_->UnlockRect();
    if (!copied) return false;
    bigger->UnlockRect();
    atlas_ = std::move(bigger);
    atlasSize_ = size;
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
            while (open) {
                PackResult result = Pack(image, static_cast<std::uint32_t*>(locked.pBits), &glyph.rect);
                if (result != PackResult::Full) {
                    glyph.drawable = result == PackResult::Packed;
                    break;
                }
                atlas_->UnlockRect();
                open = Grow() && atlas_->LockRect(&locked);
            }
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
