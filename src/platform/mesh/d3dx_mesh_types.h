// The plain D3DX mesh records the game passes around, under their D3DX names.
//
// Stands in for: the records of d3dx9mesh.h / d3dx9anim.h that the game touches (attribute ranges,
// materials with texture names, bone combinations, animation keys, vertex elements, HRESULT codes).
// Buffers that D3DX hands out as ID3DXBuffer are std::vectors here; texture names are std::strings.
// Does not: effect instances, patch meshes, progressive meshes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gpu/d3d_types.h"

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = std::int32_t(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = std::int32_t(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = std::int32_t(0x80070057u);
inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Mesh creation options. Only the values matter for the game; pools and hints change nothing here.
inline constexpr DWORD D3DXMESH_32BIT = 0x001;
inline constexpr DWORD D3DXMESH_MANAGED = 0x220;
inline constexpr DWORD D3DXMESH_NPATCHES = 0x4000;
inline constexpr DWORD D3DXMESHOPT_VERTEXCACHE = 0x4000000;

struct D3DXATTRIBUTERANGE {
    DWORD AttribId = 0;
    DWORD FaceStart = 0, FaceCount = 0;
    DWORD VertexStart = 0, VertexCount = 0;
};

struct D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    std::string TextureFilename; // empty when the material names no texture
};

// One draw call of an indexed blended mesh: the faces of subset (combination index) and the bones
// whose matrices go into the palette; BoneId[i] is 0xFFFFFFFF for an unused slot.
struct D3DXBONECOMBINATION {
    DWORD AttribId = 0;
    DWORD FaceStart = 0, FaceCount = 0;
    DWORD VertexStart = 0, VertexCount = 0;
    std::vector<DWORD> BoneId;
};
inline constexpr DWORD UINT_MAX32 = 0xFFFFFFFFu;

struct D3DXKEY_VECTOR3 {
    float Time = 0;
    D3DXVECTOR3 Value;
};
struct D3DXKEY_QUATERNION {
    float Time = 0;
    D3DXQUATERNION Value;
};

// Vertex declarations, only as far as reading one and changing an element's type.
enum D3DDECLTYPE : std::uint8_t {
    D3DDECLTYPE_FLOAT1 = 0,
    D3DDECLTYPE_FLOAT2 = 1,
    D3DDECLTYPE_FLOAT3 = 2,
    D3DDECLTYPE_FLOAT4 = 3,
    D3DDECLTYPE_D3DCOLOR = 4,
    D3DDECLTYPE_UBYTE4 = 5,
    D3DDECLTYPE_UNUSED = 17,
};
enum D3DDECLUSAGE : std::uint8_t {
    D3DDECLUSAGE_POSITION = 0,
    D3DDECLUSAGE_BLENDWEIGHT = 1,
    D3DDECLUSAGE_BLENDINDICES = 2,
    D3DDECLUSAGE_NORMAL = 3,
    D3DDECLUSAGE_TEXCOORD = 5,
    D3DDECLUSAGE_COLOR = 10,
    D3DDECLUSAGE_POSITIONT = 9,
};
struct D3DVERTEXELEMENT9 {
    std::uint16_t Stream = 0;
    std::uint16_t Offset = 0;
    std::uint8_t Type = D3DDECLTYPE_UNUSED;
    std::uint8_t Method = 0;
    std::uint8_t Usage = 0;
    std::uint8_t UsageIndex = 0;
};
inline constexpr int MAX_FVF_DECL_SIZE = 65;
// The terminating element of a declaration.
inline constexpr D3DVERTEXELEMENT9 D3DDECL_END() { return D3DVERTEXELEMENT9{0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}; }
