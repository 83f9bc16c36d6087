// Mesh operations with D3DX meaning: clone to another format, adjacency, declarations, normals.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/mesh/mesh.h"

namespace platform::mesh {
namespace {

struct PositionKey {
    float x, y, z;
    bool operator==(const PositionKey& o) const { return x == o.x && y == o.y && z == o.z; }
};
struct PositionHash {
    std::size_t operator()(const PositionKey& k) const {
        std::uint32_t a, b, c;
        std::memcpy(&a, &k.x, 4);
        std::memcpy(&b, &k.y, 4);
        std::memcpy(&c, &k.z, 4);
        return std::size_t(a) * 73856093u ^ std::size_t(b) * 19349663u ^ std::size_t(c) * 83492791u;
    }
};

// Each vertex's representative: the first vertex at the same position (snapped to epsilon).
std::vector<DWORD> PointReps(const Mesh& mesh, float epsilon) {
    std::unordered_map<PositionKey, DWORD, PositionHash> first;
    std::vector<DWORD> reps(mesh.GetNumVertices());
    for (DWORD v = 0; v < mesh.GetNumVertices(); ++v) {
        D3DXVECTOR3 p = mesh.Position(v);
        if (epsilon > 0) { p = {std::round(p.x / epsilon), std::round(p.y / epsilon), std::round(p.z / epsilon)}; }
        PositionKey key{p.x + 0.0f, p.y + 0.0f, p.z + 0.0f}; // +0 folds -0 into 0
        reps[v] = first.emplace(key, v).first->second;
    }
    return reps;
}

void CopyComponent(std::uint8_t* dst, int dstOffset, const std::uint8_t* src, int srcOffset, std::size_t bytes) {
    if (dstOffset >= 0 && srcOffset >= 0) std::memcpy(dst + dstOffset, src + srcOffset, bytes);
}

} // namespace

std::shared_ptr<Mesh> Mesh::CloneMeshFVF(DWORD newOptions, DWORD newFvf, gpu::Device* newDevice) const {
    auto clone = Create(numFaces, numVertices, newOptions, newFvf, newDevice);
    if (!clone) return nullptr;
    const Layout& s = layout;
    const Layout& d = clone->layout;
    for (DWORD v = 0; v < numVertices; ++v) {
        const std::uint8_t* src = vertices.data() + std::size_t(v) * stride;
        std::uint8_t* dst = clone->vertices.data() + std::size_t(v) * clone->stride;
        std::memcpy(dst, src, 12);
        int weights = std::min(s.weightCount, d.weightCount);
        if (weights > 0) std::memcpy(dst + d.weights, src + s.weights, 4 * std::size_t(weights));
        CopyComponent(dst, d.indices, src, s.indices, 4);
        CopyComponent(dst, d.normal, src, s.normal, 12);
        if (d.diffuse >= 0 && s.diffuse < 0) {
            const std::uint32_t white = 0xFFFFFFFFu;
            std::memcpy(dst + d.diffuse, &white, 4);
        }
        CopyComponent(dst, d.diffuse, src, s.diffuse, 4);
        CopyComponent(dst, d.specular, src, s.specular, 4);
        int sets = std::min(s.texCount, d.texCount);
        if (sets > 0) std::memcpy(dst + d.texCoord, src + s.texCoord, 8 * std::size_t(sets));
    }
    clone->indices = indices;
    clone->attributes = attributes;
    return clone;
}

bool Mesh::GenerateAdjacency(float epsilon, DWORD* adjacency) const {
    if (!adjacency) return false;
    std::vector<DWORD> reps = PointReps(*this, epsilon);
    std::unordered_map<std::uint64_t, DWORD> openEdges; // (repA, repB) -> face * 3 + edge
    openEdges.reserve(std::size_t(numFaces) * 3);
    std::fill(adjacency, adjacency + std::size_t(numFaces) * 3, 0xFFFFFFFFu);
    for (DWORD f = 0; f < numFaces; ++f) {
        for (int e = 0; e < 3; ++e) {
            DWORD a = reps[indices[f * 3 + e]], b = reps[indices[f * 3 + (e + 1) % 3]];
            if (a == b) continue;
            auto twin = openEdges.find(std::uint64_t(b) << 32 | a);
            if (twin != openEdges.end()) {
                adjacency[f * 3 + e] = twin->second / 3;
                adjacency[twin->second] = f;
                openEdges.erase(twin);
            } else {
                openEdges.emplace(std::uint64_t(a) << 32 | b, f * 3 + e);
            }
        }
    }
    return true;
}

std::vector<DWORD> Mesh::GenerateAdjacency(float epsilon) const {
    std::vector<DWORD> adjacency(std::size_t(numFaces) * 3);
    GenerateAdjacency(epsilon, adjacency.data());
    return adjacency;
}

bool Mesh::GetDeclaration(D3DVERTEXELEMENT9 out[MAX_FVF_DECL_SIZE]) const {
    if (!out) return false;
    if (!declaration.empty()) {
        std::copy(declaration.begin(), declaration.end(), out);
        return true;
    }
    int n = 0;
    auto add = [&](int offset, std::uint8_t type, std::uint8_t usage, std::uint8_t index) {
        out[n++] = D3DVERTEXELEMENT9{0, std::uint16_t(offset), type, 0, usage, index};
    };
    add(0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
    if (layout.weightCount > 0)
        add(layout.weights, std::uint8_t(D3DDECLTYPE_FLOAT1 + layout.weightCount - 1), D3DDECLUSAGE_BLENDWEIGHT, 0);
    if (layout.indices >= 0) add(layout.indices, D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES, 0);
    if (layout.normal >= 0) add(layout.normal, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
    if (layout.diffuse >= 0) add(layout.diffuse, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (layout.specular >= 0) add(layout.specular, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    for (int t = 0; t < layout.texCount; ++t)
        add(layout.texCoord + 8 * t, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD, std::uint8_t(t));
    out[n++] = D3DDECL_END();
    return true;
}

bool Mesh::UpdateSemantics(const D3DVERTEXELEMENT9 in[MAX_FVF_DECL_SIZE]) {
    if (!in) return false;
    std::vector<D3DVERTEXELEMENT9> copy;
    for (int i = 0; i < MAX_FVF_DECL_SIZE; ++i) {
        copy.push_back(in[i]);
        if (in[i].Stream == 0xFF) {
            declaration = std::move(copy);
            return true;
        }
    }
    return false; // no terminator
}

} // namespace platform::mesh

bool D3DXComputeNormals(platform::mesh::Mesh* mesh, const DWORD* adjacency) {
    if (!mesh || mesh->GetLayout().normal < 0) return false;
    DWORD vertexCount = mesh->GetNumVertices();
    std::vector<DWORD> reps(vertexCount);
    if (adjacency) {
        reps = platform::mesh::PointReps(*mesh, 0.0f);
    } else {
        for (DWORD v = 0; v < vertexCount; ++v) reps[v] = v;
    }
    std::vector<D3DXVECTOR3> sums(vertexCount);
    const std::uint16_t* idx = mesh->Indices();
    for (DWORD f = 0; f < mesh->GetNumFaces(); ++f) {
        D3DXVECTOR3 p[3];
        for (int c = 0; c < 3; ++c) p[c] = mesh->Position(idx[f * 3 + c]);
        D3DXVECTOR3 e1 = p[1] - p[0], e2 = p[2] - p[0], n;
        D3DXVec3Cross(&n, &e1, &e2);
        D3DXVec3Normalize(&n, &n);
        for (int c = 0; c < 3; ++c) {
            // Each corner contributes by its angle, so a split quad weighs the same as a fan.
            D3DXVECTOR3 a = p[(c + 1) % 3] - p[c], b = p[(c + 2) % 3] - p[c];
            D3DXVec3Normalize(&a, &a);
            D3DXVec3Normalize(&b, &b);
            float angle = std::acos(std::clamp(D3DXVec3Dot(&a, &b), -1.0f, 1.0f));
            sums[reps[idx[f * 3 + c]]] += n * angle;
        }
    }
    std::uint8_t* data = nullptr;
    mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&data));
    for (DWORD v = 0; v < vertexCount; ++v) {
        D3DXVECTOR3 n;
        D3DXVec3Normalize(&n, &sums[reps[v]]);
        std::memcpy(data + std::size_t(v) * mesh->GetNumBytesPerVertex() + mesh->GetLayout().normal, &n, 12);
    }
    mesh->UnlockVertexBuffer();
    return true;
}
