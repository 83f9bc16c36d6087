// The OpenGL device's sprite batcher (quads collected between Begin and End, one draw per texture
// run) and its font (SDL_ttf glyphs packed into an atlas texture, drawn through a sprite).
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gpu/font_face.h"
#include "platform/gpu/gl/gl_device.h"

namespace gpu {

class GlSprite final : public Sprite {
public:
    explicit GlSprite(std::shared_ptr<GlShared> shared);
    void Begin(DWORD flags) override;
    void SetTransform(const D3DXMATRIX* transform) override;
    void GetTransform(D3DXMATRIX* transform) const override {
        if (transform) *transform = transform_;
    }
    void Draw(Texture* texture, const RECT* source, const D3DXVECTOR3* center, const D3DXVECTOR3* position,
              D3DCOLOR color) override;
    void Flush() override;
    void End() override;

private:
    std::shared_ptr<GlShared> shared_;
    D3DXMATRIX transform_;
    DWORD flags_ = 0;
    bool begun_ = false;
    std::vector<SpriteVertex> vertices_;
    std::vector<GlDevice::SpriteRun> runs_;
    std::vector<std::shared_ptr<Texture>> holds_; // textures of the pending batch stay alive until it draws
};

class GlFont final : public Font {
public:
    GlFont(std::shared_ptr<GlShared> shared, GlDevice* device, const D3DXFONT_DESCA& desc);
    int DrawTextA(Sprite* sprite, const char* text, int count, RECT* rect, DWORD format, D3DCOLOR color) override;
    void GetDescA(D3DXFONT_DESCA* desc) const override {
        if (desc) *desc = desc_;
    }

private:
    struct Glyph {
        RECT rect;
        bool drawable = false;
    };
    // The atlas starts small and doubles when a glyph does not fit: most fonts draw a few dozen
    // glyphs, and a full-size atlas per font held a megabyte of driver memory each.
    static constexpr std::uint32_t kFirstAtlasSize = 128;
    static constexpr std::uint32_t kAtlasSize = 512; // at this size a full atlas starts over instead
    enum class PackResult { Packed, Full, TooBig };

    void AddMissingGlyphs(std::string_view text);
    PackResult Pack(const FontFace::GlyphImage& image, std::uint32_t* pixels, RECT* rect);
    bool Grow();

    std::shared_ptr<GlShared> shared_;
    D3DXFONT_DESCA desc_;
    FontFace face_;
    std::shared_ptr<Texture> atlas_;
    std::uint32_t atlasSize_ = kFirstAtlasSize;
    std::unordered_map<char32_t, Glyph> glyphs_;
    int penX_ = 1, penY_ = 1, rowHeight_ = 0;
    std::unique_ptr<GlSprite> ownSprite_;
};

} // namespace gpu
