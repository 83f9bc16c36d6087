// Screen text: one font per size, a shadow down and right or an outline all round.
#include "scenes/screen_text.h"

#include <cstring>

#include "platform/math/d3dx_math.h"
#include "render/graphics_device.h"

namespace {
constexpr float kShadowOffset = 2.0f;
} // namespace

gpu::Font* ScreenText::Face() {
    if (tried) return font.get();
    tried = true;
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (!graphics.device) return nullptr;
    D3DXFONT_DESCA desc = graphics.fontDesc;
    desc.Height = height;
    if (desc.FaceName[0] == '\0') std::strncpy(desc.FaceName, "ＭＳ Ｐゴシック", sizeof desc.FaceName - 1);
    font = graphics.device->CreateFont(desc);
    return font.get();
}

int ScreenText::Width(const std::string& text) {
    gpu::Font* face = Face();
    if (!face) return 0;
    RECT area{};
    face->DrawTextA(nullptr, text.c_str(), -1, &area, DT_CALCRECT, 0xFFFFFFFF);
    return area.right - area.left;
}

void ScreenText::Draw(const std::string& text, float x, float y, D3DCOLOR colour) {
    gpu::Font* face = Face();
    gpu::Sprite* sprite = GraphicsDevice::Instance().sprite.get();
    if (!face || !sprite) return;
    RECT area{};
    face->DrawTextA(sprite, text.c_str(), -1, &area, DT_CALCRECT, colour);
    const D3DCOLOR shadow = colour & 0xC0000000;
    static constexpr float kAround[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    D3DXMATRIX place;
    for (int i = outline ? 0 : 3; i < 4; ++i) {
        place = MatrixTranslation(x + kAround[i][0] * kShadowOffset, y + kAround[i][1] * kShadowOffset, 0);
        sprite->SetTransform(&place);
        face->DrawTextA(sprite, text.c_str(), -1, &area, DT_LEFT | DT_TOP, shadow);
    }
    place = MatrixTranslation(x, y, 0);
    sprite->SetTransform(&place);
    face->DrawTextA(sprite, text.c_str(), -1, &area, DT_LEFT | DT_TOP, colour);
}

void ScreenText::DrawCentred(const std::string& text, float centreX, float y, D3DCOLOR colour) {
    Draw(text, centreX - static_cast<float>(Width(text)) * 0.5f, y, colour);
}
