// A triangle mesh with D3DX semantics: one vertex format, 16-bit indices, one attribute per face.
//
// Stands in for: ID3DXMesh, D3DXLoadMeshFromX, D3DXComputeNormals and D3DXIntersect.
// The mesh keeps CPU copies of its vertices, indices and attributes; device buffers are made lazily
// on the first DrawSubset and refreshed after a vertex or index lock is released. Subsets are drawn
// from an attribute-sorted copy of the indices, so the CPU face order (what face indices and locks
// see) never changes behind the caller's back.
// The ray test uses a bounding-volume hierarchy built on first use and dropped when vertices or
// indices are unlocked.
// Does not: 32-bit indices, progressive meshes, vertex declarations beyond the formats of
// d3d_types.h, software vertex processing flags, optimisation (options are accepted and ignored).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/mesh/d3dx_mesh_types.h"

namespace platform::mesh {

class RayBvh;

class Mesh {
public:
    // Null when a count is zero, there are more than 65535 vertices, or the format is not supported.
    static std::shared_ptr<Mesh> Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                                        gpu::Device* device);
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    DWORD GetNumFaces() const { return numFaces; }
    DWORD GetNumVertices() const { return numVertices; }
    DWORD GetFVF() const { return fvf; }
    DWORD GetNumBytesPerVertex() const { return stride; }
    DWORD GetOptions() const { return options; }
    gpu::Device* GetDevice() const { return device; }

    // Locks hand out the CPU copies; flags are accepted and ignored. Unlock marks the data changed.
    bool LockVertexBuffer(DWORD flags, void** data);
    bool UnlockVertexBuffer();
    bool LockIndexBuffer(DWORD flags, void** data); // 3 x 16-bit indices per face
    bool UnlockIndexBuffer();
    bool LockAttributeBuffer(DWORD flags, DWORD** data);
    bool UnlockAttributeBuffer();

    // Read-only views for loaders, tools and the ray test.
    const std::uint8_t* Vertices() const { return vertices.data(); }
    const std::uint16_t* Indices() const { return indices.data(); }
    const DWORD* Attributes() const { return attributes.data(); }
    // The indices as the device draws them: attribute-sorted, pieces together, coarse runs last.
    const std::vector<std::uint16_t>& DrawIndices() const;
    D3DXVECTOR3 Position(DWORD vertex) const;

    // One range per attribute id present, in increasing id order. FaceStart/FaceCount count faces of
    // the attribute-sorted draw order. With table null, *size receives the number of entries.
    bool GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) const;
    const std::vector<D3DXATTRIBUTERANGE>& Subsets() const;

    // Draws the faces whose attribute is attribId on the mesh's device, setting its vertex format.
    // False (nothing drawn) when the mesh has no device or no such faces.
    bool DrawSubset(DWORD attribId);

    // A run of one subset's faces lying in one cell of a grid over the mesh's x-z extent, with the
    // sphere round its corners (model space), so a draw can leave out what is out of view.
    struct Piece {
        DWORD attribId = 0, faceStart = 0, faceCount = 0, vertexStart = 0, vertexCount = 0;
        // A coarser run of the same piece, after the whole ones in the draw copy: its border edges are
        // the piece's own, so it meets a whole or coarse neighbour without a crack. The whole run
        // until SetCoarseError asks for one.
        DWORD coarseFaceStart = 0, coarseFaceCount = 0;
        D3DXVECTOR3 centre{0, 0, 0};
        float radius = 0;
    };
    // Regroups each subset's faces into grid x grid pieces in the draw copy only (the faces, their
    // numbers and the ray test keep their order); a subset stays one run. 1 puts the plain order back.
    void SplitIntoPieces(int grid);
    // In draw order, each subset's pieces together; empty unless split.
    const std::vector<Piece>& Pieces() const;
    bool DrawPiece(const Piece& piece, bool coarse = false);
    // Gives each piece a coarse run in the draw copy, over the same vertices, whose surface strays
    // from the whole piece's by about `error` (model units) at most. 0 drops the coarse runs: they
    // draw whole.
    void SetCoarseError(float error);

    // Copy with another vertex format: shared components are copied, new ones zero (diffuse white).
    std::shared_ptr<Mesh> CloneMeshFVF(DWORD options, DWORD newFvf, gpu::Device* newDevice) const;
    // Three entries per face: the face across edge (v0,v1), (v1,v2), (v2,v0), or 0xFFFFFFFF.
    // Corners are matched by position within epsilon (0 = exact).
    bool GenerateAdjacency(float epsilon, DWORD* adjacency) const;
    std::vector<DWORD> GenerateAdjacency(float epsilon = 0.0f) const;

    // The declaration equivalent of the vertex format; UpdateSemantics keeps a changed one (the device
    // still reads blend indices as UBYTE4 in byte order, which is what a D3DCOLOR-typed element
    // un-swizzled in the shader gives on D3D).
    bool GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) const;
    bool UpdateSemantics(const D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]);

    // Byte offsets of the components inside one vertex; -1 when absent.
    struct Layout {
        int position = 0, weights = -1, indices = -1, normal = -1, diffuse = -1, specular = -1, texCoord = -1;
        int weightCount = 0; // floats between position and normal, the UBYTE4 indices not counted
        int texCount = 0;
    };
    static bool DescribeFVF(DWORD fvf, Layout* layout);
    const Layout& GetLayout() const { return layout; }

    // The ray test's hierarchy (built on first use).
    const RayBvh& Bvh() const;

private:
    Mesh() = default;
    void BuildDrawOrder() const;
    std::vector<DWORD> PieceCells() const;
    void BuildPieces(const std::vector<DWORD>& order, const std::vector<DWORD>& cells) const;
    void BuildCoarsePieces() const;
    bool DrawRun(DWORD vertexStart, DWORD vertexCount, DWORD faceStart, DWORD faceCount);
    bool UploadIfNeeded();

    DWORD numFaces = 0, numVertices = 0, fvf = 0, stride = 0, options = 0;
    gpu::Device* device = nullptr;
    Layout layout;
    std::vector<std::uint8_t> vertices;
    std::vector<std::uint16_t> indices;
    std::vector<DWORD> attributes;
    std::vector<D3DVERTEXELEMENT9> declaration;

    mutable bool drawOrderValid = false;
    mutable std::vector<std::uint16_t> drawIndices;
    mutable std::vector<D3DXATTRIBUTERANGE> subsets;
    mutable std::vector<Piece> pieces;
    int pieceGrid = 1;
    float coarseError = 0;
    mutable std::unique_ptr<RayBvh> bvh;
    bool vertexDirty = true, indexDirty = true;
    std::shared_ptr<gpu::GeometryBuffer> vertexBuffer, indexBuffer;
};

} // namespace platform::mesh

using ID3DXMesh = platform::mesh::Mesh;

// Loads every mesh of a .x file, each placed by its frames' transforms, merged into one mesh with the
// materials concatenated (attribute ids offset accordingly). A mesh of the file without materials
// gets one default material (white diffuse). Adjacency gets 3 entries per face. On failure returns
// false, leaves the outputs empty and puts "file:line: reason" into *error when given.
bool D3DXLoadMeshFromX(const std::string& path, DWORD options, gpu::Device* device, std::vector<DWORD>* adjacency,
                       std::vector<D3DXMATERIAL>* materials, DWORD* numMaterials,
                       std::shared_ptr<platform::mesh::Mesh>* mesh, std::string* error = nullptr);

// Smooth per-vertex normals from the faces (angle-weighted); the format must have D3DFVF_NORMAL.
bool D3DXComputeNormals(platform::mesh::Mesh* mesh, const DWORD* adjacency);

// First hit of the ray rayPos + t * rayDir (t >= 0) with any face, both sides counted. *dist is t (in
// units of rayDir's length), u and v the barycentric weights of corners 1 and 2. A zero direction
// hits nothing. Returns false only for a missing mesh.
bool D3DXIntersect(platform::mesh::Mesh* mesh, const D3DXVECTOR3* rayPos, const D3DXVECTOR3* rayDir, BOOL* hit,
                   DWORD* faceIndex, float* u, float* v, float* dist);
