// The D3DXIntersect contract: nearest hit, face index, distance, barycentrics; the tree agrees with brute force.
#include <gtest/gtest.h>

#include <random>

#include "platform/mesh/mesh_grid.h"
#include "platform/mesh/ray_bvh.h"

using platform::mesh::RayBvh;
using platform::mesh::RayHit;

TEST(RayTest, TreeAgreesWithBruteForceOnRandomRaysOverALargeMesh) {
    auto mesh = meshtest::MakeGrid(128); // 32 768 triangles
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> pos(-20.0f, 150.0f), height(-10.0f, 30.0f), dir(-1.0f, 1.0f);
    int hits = 0;
    for (int i = 0; i < 3000; ++i) {
        D3DXVECTOR3 o(pos(rng), height(rng), pos(rng));
        D3DXVECTOR3 d(dir(rng), dir(rng), dir(rng));
        if (i % 3 == 0) d = D3DXVECTOR3(0, -1, 0); // straight down, as the collision probes do
        RayHit tree, brute;
        bool a = mesh->Bvh().Intersect(o, d, &tree);
        bool b = RayBvh::IntersectBruteForce(*mesh, o, d, &brute);
        ASSERT_EQ(a, b) << "ray " << i;
        if (!a) continue;
        ++hits;
        EXPECT_EQ(tree.face, brute.face) << "ray " << i;
        EXPECT_EQ(tree.distance, brute.distance) << "ray " << i;
        EXPECT_EQ(tree.u, brute.u);
        EXPECT_EQ(tree.v, brute.v);
    }
    EXPECT_GT(hits, 800);
}

TEST(RayTest, ReportsFaceDistanceAndBarycentricsOfTheNearestHit) {
    auto mesh = meshtest::MakeGrid(4, true);
    D3DXVECTOR3 origin(1.25f, 10.0f, 2.5f), down(0, -1, 0);
    BOOL hit = FALSE;
    DWORD face = 0;
    float u = 0, v = 0, dist = 0;
    ASSERT_TRUE(D3DXIntersect(mesh.get(), &origin, &down, &hit, &face, &u, &v, &dist));
    ASSERT_TRUE(hit);
    EXPECT_EQ(dist, 10.0f); // exactly the reach of a probe 10 units up
    const std::uint16_t* idx = mesh->Indices() + face * 3;
    D3DXVECTOR3 p0 = mesh->Position(idx[0]), p1 = mesh->Position(idx[1]), p2 = mesh->Position(idx[2]);
    D3DXVECTOR3 at = p0 + (p1 - p0) * u + (p2 - p0) * v;
    EXPECT_NEAR(at.x, 1.25f, 1e-5f);
    EXPECT_NEAR(at.z, 2.5f, 1e-5f);
    // A longer direction measures the distance in its own units.
    D3DXVECTOR3 longDown(0, -4, 0);
    ASSERT_TRUE(D3DXIntersect(mesh.get(), &origin, &longDown, &hit, &face, &u, &v, &dist));
    EXPECT_EQ(dist, 2.5f);
}

TEST(RayTest, MissesBehindTheOriginWithZeroDirectionOrBesideTheMesh) {
    auto mesh = meshtest::MakeGrid(4, true);
    BOOL hit = TRUE;
    DWORD face = 0;
    float u, v, dist;
    D3DXVECTOR3 above(2, 1, 2), up(0, 1, 0), zero(0, 0, 0), beside(50, 1, 50), down(0, -1, 0);
    D3DXIntersect(mesh.get(), &above, &up, &hit, &face, &u, &v, &dist);
    EXPECT_FALSE(hit);
    hit = TRUE;
    D3DXIntersect(mesh.get(), &above, &zero, &hit, &face, &u, &v, &dist);
    EXPECT_FALSE(hit);
    hit = TRUE;
    D3DXIntersect(mesh.get(), &beside, &down, &hit, &face, &u, &v, &dist);
    EXPECT_FALSE(hit);
    // Both sides count: from below, looking up.
    D3DXVECTOR3 below(2.5f, -3, 1.5f);
    D3DXIntersect(mesh.get(), &below, &up, &hit, &face, &u, &v, &dist);
    EXPECT_TRUE(hit);
    EXPECT_EQ(dist, 3.0f);
    EXPECT_FALSE(D3DXIntersect(nullptr, &below, &up, &hit, &face, &u, &v, &dist));
}

TEST(RayTest, TheTreeFollowsVertexChanges) {
    auto mesh = meshtest::MakeGrid(4, true);
    D3DXVECTOR3 origin(2.2f, 10, 2.7f), down(0, -1, 0);
    BOOL hit;
    DWORD face;
    float u, v, dist;
    D3DXIntersect(mesh.get(), &origin, &down, &hit, &face, &u, &v, &dist);
    ASSERT_TRUE(hit);
    std::uint8_t* vb = nullptr;
    mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&vb));
    for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) {
        float y = 4.0f;
        std::memcpy(vb + i * mesh->GetNumBytesPerVertex() + 4, &y, 4);
    }
    mesh->UnlockVertexBuffer();
    D3DXIntersect(mesh.get(), &origin, &down, &hit, &face, &u, &v, &dist);
    ASSERT_TRUE(hit);
    EXPECT_EQ(dist, 6.0f);
}
