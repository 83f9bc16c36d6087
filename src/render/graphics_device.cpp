// The graphics device singleton: the fixed render states, light 0, the screen quad and release.
#include "render/graphics_device.h"
#include "render/placed_sprite.h"

#include <cstring>

namespace {
std::unique_ptr<GraphicsDevice>& Holder() {
    static std::unique_ptr<GraphicsDevice> instance = std::make_unique<GraphicsDevice>();
    return instance;
}

DWORD FloatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
} // namespace

GraphicsDevice& GraphicsDevice::Instance() { return *Holder(); }

void GraphicsDevice::ResetInstance() { Holder() = std::make_unique<GraphicsDevice>(); }

void GraphicsDevice::SetDefaultStates() {
    if (!device) return;
    gpu::Device& d = *device;
    d.SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    d.SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    d.SetRenderState(D3DRS_STENCILENABLE, TRUE);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d.SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    d.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d.SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    d.SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    d.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d.SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    d.SetRenderState(D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD);
    d.SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
    d.SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_INVSRCALPHA);

    d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);

    d.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    d.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    d.SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    d.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    d.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    d.SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, FloatBits(-1.0f));

    SetDirectionalLight(D3DXVECTOR3(0.5f, -1.0f, 0.3f), D3DXCOLOR(1, 1, 1, 1), D3DXCOLOR(0, 0, 0, 1),
                        D3DXCOLOR(1, 1, 1, 1));
    d.SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    d.SetRenderState(D3DRS_FOGENABLE, FALSE);
}

void GraphicsDevice::SetDirectionalLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& diffuse,
                                         const D3DCOLORVALUE& ambient, const D3DCOLORVALUE& specular) {
    if (!device) return;
    D3DLIGHT9 light;
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = diffuse;
    light.Ambient = ambient;
    light.Specular = specular;
    D3DXVec3Normalize(&light.Direction, &direction);
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
}

void GraphicsDevice::DrawScreenQuad(float x, float y, float width, float height, float uMax, float vMax) {
    if (!device) return;
    struct ScreenVertex {
        float x, y, z, rhw, u, v;
    };
    const ScreenVertex vertices[4] = {
        {x, y, 0, 1, 0, 0},
        {x + width, y, 0, 1, uMax, 0},
        {x, y + height, 0, 1, 0, vMax},
        {x + width, y + height, 0, 1, uMax, vMax},
    };
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, sizeof(ScreenVertex));
}

void GraphicsDevice::Release() {
    backBuffer.reset();
    depthStencil.reset();
    sprite.reset();
    font.reset();
    device.reset();
}

float ScreenWidth() {
    const GraphicsDevice& graphics = GraphicsDevice::Instance();
    return graphics.hudWidth > 0.0f ? graphics.hudWidth
                                    : static_cast<float>(graphics.presentParameters.BackBufferWidth);
}

float ScreenHeight() {
    const GraphicsDevice& graphics = GraphicsDevice::Instance();
    return graphics.hudHeight > 0.0f ? graphics.hudHeight
                                     : static_cast<float>(graphics.presentParameters.BackBufferHeight);
}

void GraphicsDevice::BeginHudArea(const RECT& area, float scale) {
    BeginHudArea(MatrixScaling(scale, scale, 1.0f) *
                     MatrixTranslation(static_cast<float>(area.left), static_cast<float>(area.top), 0.0f),
                 static_cast<float>(area.right - area.left) / scale,
                 static_cast<float>(area.bottom - area.top) / scale);
}

void GraphicsDevice::BeginHudArea(const D3DXMATRIX& placement, float width, float height) {
    hudWidth = width;
    hudHeight = height;
    if (auto* placed = dynamic_cast<PlacedSprite*>(sprite.get())) placed->Place(placement);
}

void GraphicsDevice::EndHudArea() {
    hudWidth = hudHeight = 0.0f;
    if (auto* placed = dynamic_cast<PlacedSprite*>(sprite.get())) placed->Unplace();
}
