// A wavy terrain grid mesh for the ray tests and the benchmark.
#pragma once

#include <cmath>
#include <cstring>
#include <memory>

#include "platform/mesh/mesh.h"

namespace meshtest {

// cells x cells squares of size 1 (2 triangles each), height a gentle wave, or flat when `flat`.
inline std::shared_ptr<platform::mesh::Mesh> MakeGrid(int cells, bool flat = false) {
    const int side = cells + 1;
    auto mesh = platform::mesh::Mesh::Create(DWORD(cells * cells * 2), DWORD(side * side), 0,
                                             D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, nullptr);
    std::uint8_t* vb = nullptr;
    mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&vb));
    for (int z = 0; z < side; ++z) {
        for (int x = 0; x < side; ++x) {
            float y = flat ? 0.0f : 3.0f * std::sin(x * 0.21f) * std::cos(z * 0.17f);
            float p[3] = {float(x), y, float(z)};
            std::memcpy(vb + std::size_t(z * side + x) * mesh->GetNumBytesPerVertex(), p, 12);
        }
    }
    mesh->UnlockVertexBuffer();
    std::uint16_t* ib = nullptr;
    mesh->LockIndexBuffer(0, reinterpret_cast<void**>(&ib));
    for (int z = 0; z < cells; ++z) {
        for (int x = 0; x < cells; ++x) {
            std::uint16_t a = std::uint16_t(z * side + x), b = std::uint16_t(a + 1), c = std::uint16_t(a + side),
                          d = std::uint16_t(c + 1);
            const std::uint16_t tri[6] = {a, c, d, a, d, b};
            std::memcpy(ib + std::size_t(z * cells + x) * 6, tri, sizeof tri);
        }
    }
    mesh->UnlockIndexBuffer();
    return mesh;
}

} // namespace meshtest
