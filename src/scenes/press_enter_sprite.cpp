// The prompt blinks by rising 2 a step to full opacity and falling 3 a step to 50.
#include "scenes/press_enter_sprite.h"

#include "render/graphics_device.h"
#include "simplelib/resource_cache.h"

namespace {
constexpr std::int32_t kRiseStep = 2;
constexpr std::int32_t kFallStep = 3;
constexpr std::int32_t kLowest = 50;
constexpr std::int32_t kHighest = 255;
} // namespace

void PressEnterSprite::Init() {
    scaling = MatrixScaling(0.8f, 0.8f, 0);
    texture = ResourceCache::Instance().GetTexture("data/Texture/pleaseenter.png");
    rising = false;
    alpha = 0;
}

void PressEnterSprite::Blink() {
    if (rising) {
        alpha += kRiseStep;
        if (alpha > kHighest) {
            alpha = kHighest;
            rising = false;
        }
    } else {
        alpha -= kFallStep;
        if (alpha < kLowest) {
            alpha = kLowest;
            rising = true;
        }
    }
}

void PressEnterSprite::Draw() {
    world = scaling * translation;
    std::shared_ptr<SimpleLib::CTexture> image = texture.lock();
    gpu::Sprite* sprite = GraphicsDevice::Instance().sprite.get();
    if (!image || !image->texture || !sprite) return;
    sprite->SetTransform(&world);
    sprite->Draw(image->texture.get(), &image->rect, nullptr, nullptr, (D3DCOLOR(alpha) << 24) | 0xFFFFFF);
}
