// Load-mesh merging, subsets drawn through the device, clones, normals and adjacency.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gpu/backends.h"
#include "platform/mesh/mesh.h"
#include "support/x_samples.h"

using platform::mesh::Mesh;

namespace {

const char* kTwoFrames = R"(xof 0303txt 0032
Frame A {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }
  Mesh { 4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;; 1; 4;0,1,2,3;;
    MeshNormals { 1; 0;0;-1;; 1; 4;0,0,0,0;; }
    MeshMaterialList { 2; 1; 1;; Material { 1;0;0;1;; 1; 0;0;0;; 0;0;0;; }
      Material { 0;1;0;1;; 1; 0;0;0;; 0;0;0;; TextureFilename { "grass.png"; } } } }
  Frame B {
    FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,5,0,1;; }
    Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }
  }
}
)";

std::shared_ptr<Mesh> LoadTwoFrames(gpu::Device* device, std::vector<D3DXMATERIAL>* materials,
                                    std::vector<DWORD>* adjacency) {
    std::string path = xsamples::WriteFile("two_frames.x", kTwoFrames);
    std::shared_ptr<Mesh> mesh;
    DWORD count = 0;
    std::string error;
    EXPECT_TRUE(D3DXLoadMeshFromX(path, D3DXMESH_MANAGED, device, adjacency, materials, &count, &mesh, &error))
        << error;
    EXPECT_EQ(count, materials->size());
    return mesh;
}

} // namespace

TEST(LoadMesh, MergesEveryMeshWithItsFrameTransformAndMaterials) {
    std::vector<D3DXMATERIAL> materials;
    std::vector<DWORD> adjacency;
    auto mesh = LoadTwoFrames(nullptr, &materials, &adjacency);
    ASSERT_TRUE(mesh);
    // The quad becomes two triangles; the second mesh adds one.
    EXPECT_EQ(mesh->GetNumFaces(), 3u);
    EXPECT_EQ(mesh->GetNumVertices(), 7u);
    EXPECT_EQ(mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL));
    EXPECT_EQ(adjacency.size(), 9u);
    // Positions are placed by the frames: A translates by 10, B scales by 2 and moves by (10, 5, 0).
    EXPECT_EQ(mesh->Position(2), D3DXVECTOR3(11, 1, 0));
    EXPECT_EQ(mesh->Position(5), D3DXVECTOR3(10, 7, 0));
    ASSERT_EQ(materials.size(), 3u);
    EXPECT_EQ(materials[1].TextureFilename, "grass.png");
    EXPECT_EQ(materials[2].MatD3D.Diffuse, D3DXCOLOR(1, 1, 1, 1)); // the mesh without materials
    const DWORD* attributes = mesh->Attributes();
    EXPECT_EQ(attributes[0], 1u);
    EXPECT_EQ(attributes[1], 1u); // the triangulated quad keeps its face's material
    EXPECT_EQ(attributes[2], 2u);
}

TEST(LoadMesh, MissingOrBrokenFilesFailWithAReason) {
    std::shared_ptr<Mesh> mesh;
    std::vector<D3DXMATERIAL> materials;
    DWORD count = 7;
    std::string error;
    EXPECT_FALSE(D3DXLoadMeshFromX("/nonexistent.x", 0, nullptr, nullptr, &materials, &count, &mesh, &error));
    EXPECT_FALSE(mesh);
    EXPECT_EQ(count, 0u);
    std::string path = xsamples::WriteFile("empty.x", "xof 0303txt 0032\nFrame Nothing { }\n");
    EXPECT_FALSE(D3DXLoadMeshFromX(path, 0, nullptr, nullptr, &materials, &count, &mesh, &error));
    EXPECT_NE(error.find("no faces"), std::string::npos) << error;
}

TEST(MeshDraw, SubsetsAreDrawnThroughTheDeviceAndReuploadedAfterALock) {
    auto device = gpu::CreateNullDevice(64, 64);
    std::vector<D3DXMATERIAL> materials;
    std::vector<DWORD> adjacency;
    auto mesh = LoadTwoFrames(device.get(), &materials, &adjacency);
    ASSERT_TRUE(mesh);
    auto before = device->Counters();
    EXPECT_TRUE(mesh->DrawSubset(1));
    EXPECT_FALSE(mesh->DrawSubset(0)); // no face uses material 0
    EXPECT_TRUE(mesh->DrawSubset(2));
    EXPECT_EQ(device->Counters().draws - before.draws, 2u);
    EXPECT_EQ(device->Counters().primitives - before.primitives, 3u);
    EXPECT_EQ(device->GetFVF(), mesh->GetFVF());
    void* data = nullptr;
    ASSERT_TRUE(mesh->LockVertexBuffer(0, &data));
    std::memset(data, 0, 4);
    mesh->UnlockVertexBuffer();
    EXPECT_TRUE(mesh->DrawSubset(1));
    DWORD size = 0;
    ASSERT_TRUE(mesh->GetAttributeTable(nullptr, &size));
    ASSERT_EQ(size, 2u);
    std::vector<D3DXATTRIBUTERANGE> table(size);
    mesh->GetAttributeTable(table.data(), &size);
    EXPECT_EQ(table[0].AttribId, 1u);
    EXPECT_EQ(table[0].FaceCount, 2u);
    EXPECT_EQ(table[1].FaceStart, 2u);
}

TEST(MeshDraw, AMeshWithoutDeviceDrawsNothing) {
    auto mesh = Mesh::Create(1, 3, 0, D3DFVF_XYZ, nullptr);
    ASSERT_TRUE(mesh);
    EXPECT_FALSE(mesh->DrawSubset(0));
}

TEST(MeshFormats, CreateRefusesWhatA16BitMeshCannotHold) {
    EXPECT_FALSE(Mesh::Create(1, 70000, 0, D3DFVF_XYZ, nullptr));
    EXPECT_FALSE(Mesh::Create(0, 3, 0, D3DFVF_XYZ, nullptr));
    EXPECT_FALSE(Mesh::Create(1, 3, 0, D3DFVF_XYZRHW, nullptr));
    EXPECT_FALSE(Mesh::Create(1, 3, D3DXMESH_32BIT, D3DFVF_XYZ, nullptr));
    auto blended = Mesh::Create(1, 3, 0, D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1, nullptr);
    ASSERT_TRUE(blended);
    EXPECT_EQ(blended->GetNumBytesPerVertex(), 12u + 8u + 4u + 12u + 8u);
    EXPECT_EQ(blended->GetLayout().weightCount, 2);
    EXPECT_EQ(blended->GetLayout().indices, 20);
}

TEST(MeshFormats, CloneToTheMapObjectFormatKeepsPositionsAndNormals) {
    std::vector<D3DXMATERIAL> materials;
    std::vector<DWORD> adjacency;
    auto mesh = LoadTwoFrames(nullptr, &materials, &adjacency);
    auto clone = mesh->CloneMeshFVF(0x4220, 0x112, nullptr);
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->GetNumBytesPerVertex(), 32u);
    EXPECT_EQ(clone->GetNumFaces(), mesh->GetNumFaces());
    const std::uint8_t* v = clone->Vertices() + 32 * 2;
    float xyz[3], normal[3], uv[2];
    std::memcpy(xyz, v, 12);
    std::memcpy(normal, v + 12, 12);
    std::memcpy(uv, v + 24, 8);
    EXPECT_EQ(xyz[0], 11.0f);
    EXPECT_EQ(normal[2], -1.0f);
    EXPECT_EQ(uv[0], 0.0f);
    EXPECT_EQ(0, std::memcmp(clone->Indices(), mesh->Indices(), 9 * 2));
}

TEST(MeshFormats, ComputeNormalsGivesTheFrontFaceNormal) {
    auto mesh = Mesh::Create(2, 4, 0, D3DFVF_XYZ | D3DFVF_NORMAL, nullptr);
    std::uint8_t* vb = nullptr;
    mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&vb));
    const float corners[4][3] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    for (int i = 0; i < 4; ++i) std::memcpy(vb + 24 * i, corners[i], 12);
    mesh->UnlockVertexBuffer();
    std::uint16_t* ib = nullptr;
    mesh->LockIndexBuffer(0, reinterpret_cast<void**>(&ib));
    const std::uint16_t faces[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(ib, faces, sizeof faces);
    mesh->UnlockIndexBuffer();
    auto adjacency = mesh->GenerateAdjacency();
    EXPECT_EQ(adjacency, (std::vector<DWORD>{0xFFFFFFFF, 0xFFFFFFFF, 1, 0, 0xFFFFFFFF, 0xFFFFFFFF}));
    ASSERT_TRUE(D3DXComputeNormals(mesh.get(), adjacency.data()));
    for (int i = 0; i < 4; ++i) {
        float n[3];
        std::memcpy(n, mesh->Vertices() + 24 * i + 12, 12);
        EXPECT_NEAR(n[2], -1.0f, 1e-6f); // clockwise corners face -z in a left-handed world
    }
}

namespace {

// A flat quads x quads grid of unit squares in the x-z plane, two faces a square, row by row.
std::shared_ptr<Mesh> FlatGrid(int quads) {
    const int side = quads + 1;
    auto mesh = Mesh::Create(DWORD(quads * quads * 2), DWORD(side * side), 0, D3DFVF_XYZ, nullptr);
    float* position = nullptr;
    std::uint16_t* index = nullptr;
    if (!mesh || !mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&position)) ||
        !mesh->LockIndexBuffer(0, reinterpret_cast<void**>(&index)))
        return nullptr;
    for (int z = 0; z < side; ++z)
        for (int x = 0; x < side; ++x, position += 3) position[0] = float(x), position[1] = 0, position[2] = float(z);
    for (int z = 0; z < quads; ++z)
        for (int x = 0; x < quads; ++x) {
            const std::uint16_t a = std::uint16_t(z * side + x), b = std::uint16_t(a + 1), c = std::uint16_t(a + side),
                                d = std::uint16_t(c + 1);
            for (std::uint16_t v : {a, c, b, b, c, d}) *index++ = v;
        }
    mesh->UnlockVertexBuffer();
    mesh->UnlockIndexBuffer();
    return mesh;
}

} // namespace

// A 4 x 4 grid of quads in the x-z plane, faces alternating between two subsets, split 2 x 2: every
// face is drawn once, within its subset's run, and inside its piece's sphere; the faces themselves
// (what the ray test reads) keep their order.
TEST(MeshDraw, PiecesRegroupOnlyTheDrawCopy) {
    constexpr int kQuads = 4;
    auto mesh = FlatGrid(kQuads);
    ASSERT_TRUE(mesh);
    DWORD* attribute = nullptr;
    ASSERT_TRUE(mesh->LockAttributeBuffer(0, &attribute));
    for (int face = 0; face < kQuads * kQuads * 2; ++face) attribute[face] = DWORD(face / 2 % kQuads % 2);
    mesh->UnlockAttributeBuffer();
    const std::vector<std::uint16_t> faces(mesh->Indices(), mesh->Indices() + kQuads * kQuads * 6);

    EXPECT_TRUE(mesh->Pieces().empty());
    mesh->SplitIntoPieces(2);
    const auto& pieces = mesh->Pieces();
    EXPECT_EQ(pieces.size(), 8u); // two subsets in each of four cells
    DWORD drawn = 0;
    for (const Mesh::Piece& piece : pieces) {
        const D3DXATTRIBUTERANGE* subset = nullptr;
        for (const auto& range : mesh->Subsets())
            if (range.AttribId == piece.attribId) subset = &range;
        ASSERT_NE(subset, nullptr);
        EXPECT_GE(piece.faceStart, subset->FaceStart);
        EXPECT_LE(piece.faceStart + piece.faceCount, subset->FaceStart + subset->FaceCount);
        EXPECT_EQ(piece.faceStart, drawn); // pieces follow each other through the whole draw copy
        drawn += piece.faceCount;
        EXPECT_LE(piece.radius, 1.5f); // one cell of 2 x 2 units
    }
    EXPECT_EQ(drawn, DWORD(kQuads * kQuads * 2));
    EXPECT_TRUE(std::equal(faces.begin(), faces.end(), mesh->Indices()));
    mesh->SplitIntoPieces(1);
    EXPECT_TRUE(mesh->Pieces().empty());
}

// A flat 8 x 8 grid split 2 x 2: each coarse piece has fewer faces yet covers its piece exactly (no
// hole, no overlap) and keeps every border vertex, so it meets any neighbour without a crack.
TEST(MeshDraw, CoarsePiecesCoverTheirPieceWithTheSameBorder) {
    auto mesh = FlatGrid(8);
    ASSERT_TRUE(mesh);
    mesh->SplitIntoPieces(2);
    mesh->SetCoarseError(0.01f);
    const std::vector<std::uint16_t>& drawn = mesh->DrawIndices();
    auto run = [&](DWORD start, DWORD count) {
        return std::vector<std::uint16_t>(drawn.begin() + start * 3, drawn.begin() + (start + count) * 3);
    };
    auto area = [&](const std::vector<std::uint16_t>& faces) {
        float sum = 0;
        for (std::size_t k = 0; k < faces.size(); k += 3) {
            const D3DXVECTOR3 a = mesh->Position(faces[k]), b = mesh->Position(faces[k + 1]),
                              c = mesh->Position(faces[k + 2]);
            sum += ((b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z)) / 2; // signed: a flipped face takes away
        }
        return sum;
    };
    auto onBorder = [](const D3DXVECTOR3& p) { return int(p.x) % 4 == 0 || int(p.z) % 4 == 0; };
    ASSERT_EQ(mesh->Pieces().size(), 4u);
    for (const Mesh::Piece& piece : mesh->Pieces()) {
        const auto whole = run(piece.faceStart, piece.faceCount),
                   coarse = run(piece.coarseFaceStart, piece.coarseFaceCount);
        EXPECT_LT(coarse.size() * 2, whole.size());
        EXPECT_NEAR(area(coarse), area(whole), 1e-4f);
        EXPECT_NEAR(std::abs(area(whole)), 16.0f, 1e-4f);
        for (std::uint16_t v : whole) {
            if (!onBorder(mesh->Position(v))) continue;
            EXPECT_NE(std::find(coarse.begin(), coarse.end(), v), coarse.end());
        }
    }
    mesh->SetCoarseError(0);
    for (const Mesh::Piece& piece : mesh->Pieces()) EXPECT_EQ(piece.coarseFaceStart, piece.faceStart);
}
