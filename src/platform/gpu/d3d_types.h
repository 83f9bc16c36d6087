// The Direct3D 9 constants and plain records the game passes to the device, under their D3D names.
//
// Stands in for: the parts of d3d9types.h / d3dx9 the game uses (render states, transform states,
// vertex format bits, primitive types, blend factors, materials, lights, present parameters, RECT).
// Values are the D3D9 values, so numbers quoted in the game code (0x142, 0x112, 256, ...) mean the same.
// Does not: anything the game never sets (fog, clip planes, point sprites, multisampling).
#pragma once

#include <cstdint>

#include "platform/math/d3dx_math.h"

using DWORD = std::uint32_t;
using BOOL = int;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
using D3DCOLOR = std::uint32_t;

struct RECT {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    constexpr bool operator==(const RECT&) const = default;
};

// ---- render states (values as in D3D9) ---------------------------------------------------------
enum D3DRENDERSTATETYPE : DWORD {
    D3DRS_ZENABLE = 7,
    D3DRS_SHADEMODE = 9,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_FOGENABLE = 28,
    D3DRS_SPECULARENABLE = 29,
    D3DRS_STENCILENABLE = 52,
    D3DRS_LIGHTING = 137,
    D3DRS_AMBIENT = 139,
    D3DRS_NORMALIZENORMALS = 143,
    D3DRS_BLENDOP = 171,
    D3DRS_SEPARATEALPHABLENDENABLE = 206,
    D3DRS_SRCBLENDALPHA = 207,
    D3DRS_DESTBLENDALPHA = 208,
    D3DRS_BLENDOPALPHA = 209,
};
inline constexpr int kRenderStateCount = 256;

inline constexpr DWORD D3DZB_FALSE = 0, D3DZB_TRUE = 1;
inline constexpr DWORD D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2;
inline constexpr DWORD D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3;
inline constexpr DWORD D3DBLEND_ZERO = 1, D3DBLEND_ONE = 2, D3DBLEND_SRCCOLOR = 3, D3DBLEND_INVSRCCOLOR = 4,
                       D3DBLEND_SRCALPHA = 5, D3DBLEND_INVSRCALPHA = 6, D3DBLEND_DESTALPHA = 7,
                       D3DBLEND_INVDESTALPHA = 8, D3DBLEND_DESTCOLOR = 9, D3DBLEND_INVDESTCOLOR = 10;
inline constexpr DWORD D3DBLENDOP_ADD = 1, D3DBLENDOP_SUBTRACT = 2, D3DBLENDOP_REVSUBTRACT = 3, D3DBLENDOP_MIN = 4,
                       D3DBLENDOP_MAX = 5;

// ---- texture stage and sampler states ----------------------------------------------------------
enum D3DTEXTURESTAGESTATETYPE : DWORD {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
};
inline constexpr DWORD D3DTOP_DISABLE = 1, D3DTOP_SELECTARG1 = 2, D3DTOP_SELECTARG2 = 3, D3DTOP_MODULATE = 4;
inline constexpr DWORD D3DTA_DIFFUSE = 0, D3DTA_CURRENT = 1, D3DTA_TEXTURE = 2;

enum D3DSAMPLERSTATETYPE : DWORD {
    D3DSAMP_ADDRESSU = 1,
    D3DSAMP_ADDRESSV = 2,
    D3DSAMP_MAGFILTER = 5,
    D3DSAMP_MINFILTER = 6,
    D3DSAMP_MIPFILTER = 7,
    D3DSAMP_MIPMAPLODBIAS = 8,
};
inline constexpr DWORD D3DTADDRESS_WRAP = 1, D3DTADDRESS_MIRROR = 2, D3DTADDRESS_CLAMP = 3;
inline constexpr DWORD D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2;

// ---- transforms, primitives, clear flags -------------------------------------------------------
enum D3DTRANSFORMSTATETYPE : DWORD { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_WORLD = 256 };
enum D3DPRIMITIVETYPE : DWORD { D3DPT_TRIANGLELIST = 4, D3DPT_TRIANGLESTRIP = 5, D3DPT_TRIANGLEFAN = 6 };
inline constexpr DWORD D3DCLEAR_TARGET = 1, D3DCLEAR_ZBUFFER = 2, D3DCLEAR_STENCIL = 4;

// ---- flexible vertex formats -------------------------------------------------------------------
inline constexpr DWORD D3DFVF_XYZ = 0x002, D3DFVF_XYZRHW = 0x004, D3DFVF_XYZB1 = 0x006, D3DFVF_XYZB2 = 0x008,
                       D3DFVF_XYZB3 = 0x00a, D3DFVF_XYZB4 = 0x00c, D3DFVF_XYZB5 = 0x00e, D3DFVF_POSITION_MASK = 0x400e,
                       D3DFVF_NORMAL = 0x010, D3DFVF_DIFFUSE = 0x040, D3DFVF_SPECULAR = 0x080, D3DFVF_TEX1 = 0x100,
                       D3DFVF_TEXCOUNT_MASK = 0xf00, D3DFVF_LASTBETA_UBYTE4 = 0x1000;

// Texture set `index` holds four floats instead of two (the size bits D3D keeps from bit 16 on).
constexpr DWORD D3DFVF_TEXCOORDSIZE4(int index) { return DWORD(2) << (index * 2 + 16); }
// Floats of texture set `index` of a format: 2, or what its size bits say.
std::uint32_t D3DXTexCoordFloats(DWORD fvf, int index);
// Bytes per vertex of a format built from the bits above.
std::uint32_t D3DXGetFVFVertexSize(DWORD fvf);

// ---- formats, pools, usage ---------------------------------------------------------------------
enum D3DFORMAT : DWORD {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_D24S8 = 75,
    D3DFMT_A16B16G16R16F = 113,
};
enum D3DPOOL : DWORD { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2 };
inline constexpr DWORD D3DUSAGE_RENDERTARGET = 0x1;

// ---- materials and lights ----------------------------------------------------------------------
struct D3DMATERIAL9 {
    D3DCOLORVALUE Diffuse, Ambient, Specular, Emissive;
    float Power = 0;
};

enum D3DLIGHTTYPE : DWORD { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };
struct D3DLIGHT9 {
    D3DLIGHTTYPE Type = D3DLIGHT_DIRECTIONAL;
    D3DCOLORVALUE Diffuse, Specular, Ambient;
    D3DXVECTOR3 Position, Direction;
    float Range = 0, Falloff = 0, Attenuation0 = 0, Attenuation1 = 0, Attenuation2 = 0, Theta = 0, Phi = 0;
};

// ---- presentation ------------------------------------------------------------------------------
struct D3DPRESENT_PARAMETERS {
    std::uint32_t BackBufferWidth = 0, BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
    std::uint32_t BackBufferCount = 0;
    bool Windowed = true;
    bool EnableAutoDepthStencil = true;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_D24S8;
    std::uint32_t PresentationInterval = 0;
};

// ---- sprite and font flags ---------------------------------------------------------------------
inline constexpr DWORD D3DXSPRITE_ALPHABLEND = 0x10;
inline constexpr DWORD DT_TOP = 0, DT_LEFT = 0, DT_CALCRECT = 0x400, DT_NOCLIP = 0x100;

struct D3DXFONT_DESCA {
    std::int32_t Height = 0;
    std::uint32_t Width = 0, Weight = 0, MipLevels = 0;
    bool Italic = false;
    std::uint8_t CharSet = 0, OutputPrecision = 0, Quality = 0, PitchAndFamily = 0;
    char FaceName[32] = {};
};

struct D3DXIMAGE_INFO {
    std::uint32_t Width = 0, Height = 0, Depth = 0, MipLevels = 0;
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    std::uint32_t ResourceType = 0, ImageFileFormat = 0;
};

inline constexpr D3DCOLOR D3DCOLOR_ARGB(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
