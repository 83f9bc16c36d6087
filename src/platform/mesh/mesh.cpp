// ID3DXMesh's role: CPU copies of a mesh, subsets drawn through lazily made device buffers.
#include "platform/mesh/mesh.h"

#include <algorithm>
#include <cstring>

#include <meshoptimizer.h>

#include "platform/mesh/ray_bvh.h"

namespace platform::mesh {

bool Mesh::DescribeFVF(DWORD fvf, Layout* out) {
    Layout l;
    const DWORD known = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK |
                        D3DFVF_LASTBETA_UBYTE4;
    if (fvf & ~known) return false;
    DWORD position = fvf & D3DFVF_POSITION_MASK;
    int betas = 0;
    switch (position) {
    case D3DFVF_XYZ: betas = 0; break;
    case D3DFVF_XYZB1: betas = 1; break;
    case D3DFVF_XYZB2: betas = 2; break;
    case D3DFVF_XYZB3: betas = 3; break;
    case D3DFVF_XYZB4: betas = 4; break;
    case D3DFVF_XYZB5: betas = 5; break;
    default: return false; // no pre-transformed or missing positions in a mesh
    }
    int offset = 12;
    bool ubyte4 = (fvf & D3DFVF_LASTBETA_UBYTE4) != 0;
    if (ubyte4 && betas == 0) return false;
    l.weightCount = ubyte4 ? betas - 1 : betas;
    if (l.weightCount > 0) l.weights = offset;
    offset += 4 * l.weightCount;
    if (ubyte4) {
        l.indices = offset;
        offset += 4;
    }
    if (fvf & D3DFVF_NORMAL) {
        l.normal = offset;
        offset += 12;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        l.diffuse = offset;
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        l.specular = offset;
        offset += 4;
    }
    l.texCount = int((fvf & D3DFVF_TEXCOUNT_MASK) >> 8);
    if (l.texCount > 0) l.texCoord = offset;
    if (out) *out = l;
    return true;
}

std::shared_ptr<Mesh> Mesh::Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, gpu::Device* device) {
    Layout layout;
    if (numFaces == 0 || numVertices == 0 || numVertices > 0xFFFF || numFaces > (1u << 24)) return nullptr;
    if ((options & D3DXMESH_32BIT) || !DescribeFVF(fvf, &layout)) return nullptr;
    std::shared_ptr<Mesh> mesh(new Mesh());
    mesh->numFaces = numFaces;
    mesh->numVertices = numVertices;
    mesh->options = options;
    mesh->fvf = fvf;
    mesh->stride = D3DXGetFVFVertexSize(fvf);
    mesh->device = device;
    mesh->layout = layout;
    mesh->vertices.assign(std::size_t(numVertices) * mesh->stride, 0);
    mesh->indices.assign(std::size_t(numFaces) * 3, 0);
    mesh->attributes.assign(numFaces, 0);
    return mesh;
}

Mesh::~Mesh() = default;

D3DXVECTOR3 Mesh::Position(DWORD vertex) const {
    D3DXVECTOR3 p;
    std::memcpy(&p, vertices.data() + std::size_t(vertex) * stride, sizeof p);
    return p;
}

bool Mesh::LockVertexBuffer(DWORD, void** data) {
    if (!data) return false;
    *data = vertices.data();
    vertexDirty = true;
    bvh.reset();
    return true;
}

bool Mesh::UnlockVertexBuffer() {
    vertexDirty = true;
    bvh.reset();
    return true;
}

bool Mesh::LockIndexBuffer(DWORD, void** data) {
    if (!data) return false;
    *data = indices.data();
    UnlockIndexBuffer();
    return true;
}

bool Mesh::UnlockIndexBuffer() {
    drawOrderValid = false;
    indexDirty = true;
    bvh.reset();
    return true;
}

bool Mesh::LockAttributeBuffer(DWORD, DWORD** data) {
    if (!data) return false;
    *data = attributes.data();
    UnlockAttributeBuffer();
    return true;
}

bool Mesh::UnlockAttributeBuffer() {
    drawOrderValid = false;
    indexDirty = true;
    return true;
}

// Each face's cell on a pieceGrid x pieceGrid grid over the x-z extent of the vertices, by the mean
// of its corners.
std::vector<DWORD> Mesh::PieceCells() const {
    std::vector<DWORD> cells(numFaces, 0);
    if (pieceGrid <= 1 || numVertices == 0) return cells;
    D3DXVECTOR3 low = Position(0), high = low;
    for (DWORD v = 1; v < numVertices; ++v) {
        const D3DXVECTOR3 p = Position(v);
        low = D3DXVECTOR3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = D3DXVECTOR3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    }
    const float sizeX = std::max(high.x - low.x, 1e-6f), sizeZ = std::max(high.z - low.z, 1e-6f);
    const int last = pieceGrid - 1;
    for (DWORD f = 0; f < numFaces; ++f) {
        D3DXVECTOR3 mean(0, 0, 0);
        for (int c = 0; c < 3; ++c) mean += Position(indices[std::size_t(f) * 3 + c]);
        const int x = std::clamp(static_cast<int>((mean.x / 3 - low.x) / sizeX * pieceGrid), 0, last);
        const int z = std::clamp(static_cast<int>((mean.z / 3 - low.z) / sizeZ * pieceGrid), 0, last);
        cells[f] = DWORD(z * pieceGrid + x);
    }
    return cells;
}

void Mesh::BuildPieces(const std::vector<DWORD>& order, const std::vector<DWORD>& cells) const {
    pieces.clear();
    if (pieceGrid <= 1) return;
    for (DWORD i = 0; i < numFaces; ++i) {
        const DWORD f = order[i];
        if (pieces.empty() || pieces.back().attribId != attributes[f] || cells[order[i - 1]] != cells[f]) {
            Piece piece;
            piece.attribId = attributes[f];
            piece.faceStart = i;
            pieces.push_back(piece);
        }
        ++pieces.back().faceCount;
    }
    for (Piece& piece : pieces) {
        DWORD first = 0xFFFFFFFFu, end = 0;
        D3DXVECTOR3 low(0, 0, 0), high(0, 0, 0);
        for (std::size_t k = std::size_t(piece.faceStart) * 3; k < std::size_t(piece.faceStart + piece.faceCount) * 3;
             ++k) {
            const DWORD v = drawIndices[k];
            const D3DXVECTOR3 p = Position(v);
            if (first == 0xFFFFFFFFu) low = high = p;
            low = D3DXVECTOR3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
            high = D3DXVECTOR3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
            first = std::min(first, v);
            end = std::max(end, v + 1);
        }
        piece.vertexStart = first;
        piece.vertexCount = end - first;
        piece.centre = (low + high) * 0.5f;
        const D3DXVECTOR3 half = (high - low) * 0.5f;
        piece.radius = D3DXVec3Length(&half);
        piece.coarseFaceStart = piece.faceStart;
        piece.coarseFaceCount = piece.faceCount;
    }
}

// Each piece is simplified on its own with its border held, so neighbouring pieces, whole or
// coarse, share every border vertex and leave no crack between them.
void Mesh::BuildCoarsePieces() const {
    if (coarseError <= 0 || pieces.empty()) return;
    const auto* positions = reinterpret_cast<const float*>(vertices.data() + layout.position);
    const float scale = meshopt_simplifyScale(positions, numVertices, stride);
    if (!(scale > 0)) return;
    std::vector<std::uint16_t> coarse;
    for (Piece& piece : pieces) {
        const std::size_t count = std::size_t(piece.faceCount) * 3;
        coarse.resize(count);
        const std::size_t kept =
            meshopt_simplify(coarse.data(), drawIndices.data() + std::size_t(piece.faceStart) * 3, count, positions,
                             numVertices, stride, 0, coarseError / scale, meshopt_SimplifyLockBorder);
        piece.coarseFaceStart = DWORD(drawIndices.size() / 3);
        piece.coarseFaceCount = DWORD(kept / 3);
        drawIndices.insert(drawIndices.end(), coarse.begin(), coarse.begin() + std::ptrdiff_t(kept));
    }
}

void Mesh::BuildDrawOrder() const {
    // Stable sort of the faces by attribute: the draw copy groups each subset into one range (and,
    // split into pieces, each piece of it into one run).
    std::vector<DWORD> order(numFaces);
    for (DWORD f = 0; f < numFaces; ++f) order[f] = f;
    const std::vector<DWORD> cells = PieceCells();
    std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) {
        return attributes[a] != attributes[b] ? attributes[a] < attributes[b] : cells[a] < cells[b];
    });
    drawIndices.resize(indices.size());
    subsets.clear();
    for (DWORD i = 0; i < numFaces; ++i) {
        DWORD f = order[i];
        std::memcpy(&drawIndices[std::size_t(i) * 3], &indices[std::size_t(f) * 3], 3 * sizeof(std::uint16_t));
        if (subsets.empty() || subsets.back().AttribId != attributes[f]) {
            D3DXATTRIBUTERANGE r;
            r.AttribId = attributes[f];
            r.FaceStart = i;
            r.VertexStart = 0xFFFFFFFFu;
            subsets.push_back(r);
        }
        D3DXATTRIBUTERANGE& r = subsets.back();
        ++r.FaceCount;
        for (int c = 0; c < 3; ++c) {
            DWORD v = indices[std::size_t(f) * 3 + c];
            DWORD end = r.VertexCount ? r.VertexStart + r.VertexCount : 0;
            if (r.VertexCount == 0) {
                r.VertexStart = v;
                r.VertexCount = 1;
                continue;
            }
            DWORD lo = std::min(r.VertexStart, v), hi = std::max(end, v + 1);
            r.VertexStart = lo;
            r.VertexCount = hi - lo;
        }
    }
    BuildPieces(order, cells);
    BuildCoarsePieces();
    drawOrderValid = true;
}

void Mesh::SplitIntoPieces(int grid) {
    pieceGrid = std::max(grid, 1);
    drawOrderValid = false;
    indexDirty = true;
}

void Mesh::SetCoarseError(float error) {
    coarseError = error;
    drawOrderValid = false;
    indexDirty = true;
}

const std::vector<std::uint16_t>& Mesh::DrawIndices() const {
    if (!drawOrderValid) BuildDrawOrder();
    return drawIndices;
}

const std::vector<Mesh::Piece>& Mesh::Pieces() const {
    if (!drawOrderValid) BuildDrawOrder();
    return pieces;
}

bool Mesh::DrawPiece(const Piece& piece, bool coarse) {
    return coarse ? DrawRun(piece.vertexStart, piece.vertexCount, piece.coarseFaceStart, piece.coarseFaceCount)
                  : DrawRun(piece.vertexStart, piece.vertexCount, piece.faceStart, piece.faceCount);
}

bool Mesh::DrawRun(DWORD vertexStart, DWORD vertexCount, DWORD faceStart, DWORD faceCount) {
    if (!UploadIfNeeded() || faceCount == 0) return false;
    device->SetFVF(fvf);
    device->SetStreamSource(vertexBuffer.get(), stride);
    device->SetIndices(indexBuffer.get());
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexStart, vertexCount, faceStart * 3, faceCount);
    return true;
}

const std::vector<D3DXATTRIBUTERANGE>& Mesh::Subsets() const {
    if (!drawOrderValid) BuildDrawOrder();
    return subsets;
}

bool Mesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) const {
    if (!size) return false;
    const auto& s = Subsets();
    if (table) std::copy_n(s.begin(), std::min<std::size_t>(*size, s.size()), table);
    *size = DWORD(s.size());
    return true;
}

bool Mesh::UploadIfNeeded() {
    if (!device) return false;
    if (!drawOrderValid) BuildDrawOrder();
    if (!vertexBuffer || vertexBuffer->Size() != vertices.size()) {
        vertexBuffer = device->CreateVertexBuffer(vertices.size());
        vertexDirty = true;
    }
    if (!indexBuffer || indexBuffer->Size() != drawIndices.size() * 2) {
        indexBuffer = device->CreateIndexBuffer(drawIndices.size() * 2);
        indexDirty = true;
    }
    if (!vertexBuffer || !indexBuffer) return false;
    if (vertexDirty) vertexBuffer->Update(vertices.data(), vertices.size());
    if (indexDirty) indexBuffer->Update(drawIndices.data(), drawIndices.size() * 2);
    vertexDirty = indexDirty = false;
    return true;
}

bool Mesh::DrawSubset(DWORD attribId) {
    for (const D3DXATTRIBUTERANGE& r : Subsets())
        if (r.AttribId == attribId) return DrawRun(r.VertexStart, r.VertexCount, r.FaceStart, r.FaceCount);
    return false;
}

const RayBvh& Mesh::Bvh() const {
    if (!bvh) {
        bvh = std::make_unique<RayBvh>();
        bvh->Build(*this);
    }
    return *bvh;
}

} // namespace platform::mesh
