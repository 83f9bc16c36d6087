// The fixed-function state a device keeps between draws, with Direct3D 9's initial values.
//
// Both backends hold one of these: the Null device only stores and reports it, the GL device also
// turns it into GL state and fixed-function shader uniforms when a draw needs it.
#pragma once

#include <cstdint>

#include "platform/gpu/d3d_types.h"

namespace gpu {

class Texture;
class GeometryBuffer;

inline constexpr int kStageStateCount = 32;
inline constexpr int kSamplerStateCount = 16;
inline constexpr int kMaxLights = 8;
inline constexpr int kMaxRenderTargets = 4;

// D3DRS_ZFUNC values the devices understand (only LESSEQUAL is used by the game).
inline constexpr DWORD D3DCMP_NEVER = 1, D3DCMP_LESS = 2, D3DCMP_EQUAL = 3, D3DCMP_LESSEQUAL = 4, D3DCMP_GREATER = 5,
                       D3DCMP_NOTEQUAL = 6, D3DCMP_GREATEREQUAL = 7, D3DCMP_ALWAYS = 8;

struct DeviceState {
    DeviceState();

    DWORD renderStates[kRenderStateCount];
    DWORD stageStates[kStageStateCount];     // texture stage 0
    DWORD samplerStates[kSamplerStateCount]; // sampler 0
    D3DXMATRIX world, view, projection;
    D3DLIGHT9 lights[kMaxLights];
    bool lightEnabled[kMaxLights] = {};
    D3DMATERIAL9 material;
    DWORD fvf = 0;
    GeometryBuffer* streamSource = nullptr;
    std::uint32_t streamStride = 0;
    GeometryBuffer* indices = nullptr;

    // Range-checked accessors; out-of-range indices are ignored / read as 0.
    bool SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    DWORD RenderState(D3DRENDERSTATETYPE state) const;
    bool SetStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    bool SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const;
    D3DXMATRIX* Transform(D3DTRANSFORMSTATETYPE state);
    const D3DXMATRIX* Transform(D3DTRANSFORMSTATETYPE state) const;
};

// Vertex count of `primitiveCount` primitives of a type (0 for unknown types).
std::uint32_t VertexCountOf(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount);

// Float bits carried in a DWORD state value (D3DSAMP_MIPMAPLODBIAS).
float StateAsFloat(DWORD value);

} // namespace gpu
