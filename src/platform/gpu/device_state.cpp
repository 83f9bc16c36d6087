// Direct3D 9's initial device state and the checked accessors both backends share.
#include "platform/gpu/device_state.h"

#include "platform/gpu/device.h"

#include <cstring>

namespace gpu {

DeviceState::DeviceState() {
    std::memset(renderStates, 0, sizeof renderStates);
    std::memset(stageStates, 0, sizeof stageStates);
    std::memset(samplerStates, 0, sizeof samplerStates);
    renderStates[D3DRS_ZENABLE] = D3DZB_TRUE; // an auto depth-stencil buffer is always created
    renderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    renderStates[D3DRS_ZWRITEENABLE] = TRUE;
    renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates[D3DRS_LIGHTING] = TRUE;
    renderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    renderStates[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    renderStates[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    renderStates[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    stageStates[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    stageStates[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    stageStates[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    stageStates[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    stageStates[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    stageStates[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    samplerStates[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    samplerStates[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    samplerStates[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    samplerStates[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    samplerStates[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    D3DXMatrixIdentity(&world);
    D3DXMatrixIdentity(&view);
    D3DXMatrixIdentity(&projection);
    for (auto& light : lights) {
        light = D3DLIGHT9{};
        light.Diffuse = {1, 1, 1, 0};
        light.Direction = {0, 0, 1};
    }
    material.Diffuse = {1, 1, 1, 1};
}

bool DeviceState::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (static_cast<DWORD>(state) >= static_cast<DWORD>(kRenderStateCount)) return false;
    if (renderStates[state] == value) return false;
    renderStates[state] = value;
    return true;
}

DWORD DeviceState::RenderState(D3DRENDERSTATETYPE state) const {
    return static_cast<DWORD>(state) < static_cast<DWORD>(kRenderStateCount) ? renderStates[state] : 0;
}

bool DeviceState::SetStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage != 0 || static_cast<DWORD>(type) >= static_cast<DWORD>(kStageStateCount)) return false;
    if (stageStates[type] == value) return false;
    stageStates[type] = value;
    return true;
}

DWORD DeviceState::SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const {
    if (sampler != 0 || static_cast<DWORD>(type) >= static_cast<DWORD>(kSamplerStateCount)) return 0;
    return samplerStates[type];
}

bool DeviceState::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (sampler != 0 || static_cast<DWORD>(type) >= static_cast<DWORD>(kSamplerStateCount)) return false;
    if (samplerStates[type] == value) return false;
    samplerStates[type] = value;
    return true;
}

D3DXMATRIX* DeviceState::Transform(D3DTRANSFORMSTATETYPE state) {
    switch (state) {
    case D3DTS_WORLD: return &world;
    case D3DTS_VIEW: return &view;
    case D3DTS_PROJECTION: return &projection;
    }
    return nullptr;
}

const D3DXMATRIX* DeviceState::Transform(D3DTRANSFORMSTATETYPE state) const {
    return const_cast<DeviceState*>(this)->Transform(state);
}

std::uint32_t VertexCountOf(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount) {
    if (primitiveCount == 0) return 0;
    switch (type) {
    case D3DPT_TRIANGLELIST: return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return primitiveCount + 2;
    }
    return 0;
}

float StateAsFloat(DWORD value) {
    float f;
    std::memcpy(&f, &value, sizeof f);
    return f;
}

bool BlendKeepsOpaqueSource(const Device& device) {
    auto rs = [&device](D3DRENDERSTATETYPE state) { return device.GetRenderState(state); };
    if (!rs(D3DRS_ALPHABLENDENABLE) || rs(D3DRS_BLENDOP) != D3DBLENDOP_ADD) return false;
    if (rs(D3DRS_SRCBLEND) != D3DBLEND_SRCALPHA || rs(D3DRS_DESTBLEND) != D3DBLEND_INVSRCALPHA) return false;
    if (!rs(D3DRS_SEPARATEALPHABLENDENABLE)) return true;
    const DWORD src = rs(D3DRS_SRCBLENDALPHA);
    return rs(D3DRS_BLENDOPALPHA) == D3DBLENDOP_ADD && (src == D3DBLEND_ONE || src == D3DBLEND_SRCALPHA) &&
           rs(D3DRS_DESTBLENDALPHA) == D3DBLEND_INVSRCALPHA;
}

void Device::ClearRects(const std::vector<RECT>& rects, D3DCOLOR color) {
    for (const RECT& rect : rects) {
        SetScissorRect(&rect);
        Clear(D3DCLEAR_TARGET, color, 1.0f, 0);
    }
    SetScissorRect(nullptr);
}

} // namespace gpu
