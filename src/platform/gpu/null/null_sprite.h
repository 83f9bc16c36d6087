// The Null device's sprite batcher and font: they log what would be drawn.
#pragma once

#include <memory>

#include "platform/gpu/font_face.h"
#include "platform/gpu/null/null_device.h"

namespace gpu {

// Screen position of a sprite image's top-left corner: (position - center) through the transform.
void SpriteTopLeft(const D3DXMATRIX& transform, const D3DXVECTOR3* center, const D3DXVECTOR3* position, float* x,
                   float* y);

class NullSprite final : public Sprite {
public:
    explicit NullSprite(std::shared_ptr<NullDeviceLink> link);
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
    std::shared_ptr<NullDeviceLink> link_;
    D3DXMATRIX transform_;
    DWORD flags_ = 0;
    bool begun_ = false;
    const Texture* runTexture_ = nullptr;
    std::uint64_t runs_ = 0, quads_ = 0;
};

class NullFont final : public Font {
public:
    NullFont(std::shared_ptr<NullDeviceLink> link, const D3DXFONT_DESCA& desc);
    int DrawTextA(Sprite* sprite, const char* text, int count, RECT* rect, DWORD format, D3DCOLOR color) override;
    void GetDescA(D3DXFONT_DESCA* desc) const override {
        if (desc) *desc = desc_;
    }

private:
    std::shared_ptr<NullDeviceLink> link_;
    D3DXFONT_DESCA desc_;
    std::unique_ptr<FontFace> face_; // opened on first use so headless start-up stays quick
};

} // namespace gpu
