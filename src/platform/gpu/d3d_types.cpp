// Vertex sizes of the flexible vertex formats the game uses.
#include "platform/gpu/d3d_types.h"

std::uint32_t D3DXGetFVFVertexSize(DWORD fvf) {
    std::uint32_t size = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: size = 12; break;
    case D3DFVF_XYZRHW: size = 16; break;
    case D3DFVF_XYZB1: size = 16; break;
    case D3DFVF_XYZB2: size = 20; break;
    case D3DFVF_XYZB3: size = 24; break;
    case D3DFVF_XYZB4: size = 28; break;
    case D3DFVF_XYZB5: size = 32; break;
    default: break;
    }
    if (fvf & D3DFVF_NORMAL) size += 12;
    if (fvf & D3DFVF_DIFFUSE) size += 4;
    if (fvf & D3DFVF_SPECULAR) size += 4;
    const int sets = int((fvf & D3DFVF_TEXCOUNT_MASK) >> 8);
    for (int i = 0; i < sets; ++i) size += 4 * D3DXTexCoordFloats(fvf, i);
    return size;
}

std::uint32_t D3DXTexCoordFloats(DWORD fvf, int index) {
    constexpr std::uint32_t kFloats[4] = {2, 3, 4, 1};
    return kFloats[(fvf >> (index * 2 + 16)) & 3];
}
