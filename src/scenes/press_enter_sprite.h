// PressEnterSprite: the blinking "press Enter" prompt of the title and the result screen.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/math/d3dx_math.h"
#include "simplelib/texture.h"

class PressEnterSprite {
public:
    void Init();
    // One step of the opacity oscillation between 50 and 255.
    void Blink();
    // Draws through the shared sprite batch, which the caller has begun.
    void Draw();

    std::weak_ptr<SimpleLib::CTexture> texture;
    D3DXMATRIX world;
    D3DXMATRIX translation;
    D3DXMATRIX scaling;
    std::int32_t alpha = 0;
    bool rising = false;
};
