// CSkinMesh and CMeshObject: pre-order frames, bone binding, palettes, the bind pose, default material.
#include <gtest/gtest.h>

#include "simplelib/mesh_object.h"
#include "simplelib/model_fixture.h"
#include "support/x_samples.h"

using SimpleLib::CMeshObject;
using SimpleLib::CSkinMesh;

namespace {

bool NearlyIdentity(const D3DXMATRIX& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(m.m[r][c] - (r == c ? 1.0f : 0.0f)) > 1e-5f) return false;
    return true;
}

const char* kTree = R"(xof 0303txt 0032
Frame R {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,1,0,1;; }
  Frame A { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 2,0,0,1;; }
    Frame A1 { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,3,1;; } } }
  Frame B {
    Mesh Plain { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }
  }
  Mesh Skinned { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;
    SkinWeights { "A"; 3; 0,1,2; 1,1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, -2,-1,0,1;; }
    SkinWeights { "a1"; 1; 0; 0.5; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
}
)";

} // namespace

using SkinMesh = ModelTest;

TEST_F(SkinMesh, FramesArePreOrderAndBonesBindByExactName) {
    CSkinMesh model;
    ASSERT_TRUE(model.Load(xsamples::WriteFile("XFile/tree/tree.x", kTree))) << model.lastError;
    EXPECT_EQ(model.fileName, "tree.x");
    EXPECT_EQ(model.directory, (xsamples::TempDir() / "XFile/tree/").string());
    ASSERT_EQ(model.frames.size(), 4u);
    const char* names[] = {"R", "A", "A1", "B"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(model.frames[i]->Name, names[i]);
        EXPECT_EQ(model.frames[i]->index, i);
    }
    EXPECT_EQ(model.frames[2]->parent, model.frames[1]);
    EXPECT_EQ(MatrixPosition(model.frames[2]->combined), D3DXVECTOR3(2, 1, 3));
    // The skinned mesh belongs to R and comes first; B's plain mesh follows.
    ASSERT_EQ(model.containers.size(), 2u);
    const SimpleLib::MeshContainer& skinned = *model.containers[0];
    ASSERT_TRUE(skinned.pSkinInfo);
    EXPECT_FALSE(model.containers[1]->pSkinInfo);
    // "a1" matches no frame ("A1" differs in case), so only A is bound.
    ASSERT_EQ(skinned.boneFrames.size(), 1u);
    EXPECT_EQ(skinned.boneFrames[0], model.frames[1]);
    EXPECT_EQ(model.frames[1]->offset._41, -2.0f);
    EXPECT_EQ(skinned.paletteSize, 2u);
    EXPECT_EQ(skinned.MeshData.pMesh->GetFVF() & (D3DFVF_NORMAL | D3DFVF_TEX1), DWORD(D3DFVF_NORMAL | D3DFVF_TEX1));
    EXPECT_TRUE(skinned.MeshData.pMesh->GetFVF() & D3DFVF_LASTBETA_UBYTE4);
    // Without materials: one default material, white diffuse and specular with alpha 0; count stays 0.
    EXPECT_EQ(skinned.NumMaterials, 0u);
    ASSERT_EQ(skinned.pMaterials.size(), 1u);
    EXPECT_EQ(skinned.pMaterials[0].MatD3D.Diffuse, D3DXCOLOR(1, 1, 1, 0));
    EXPECT_EQ(skinned.pMaterials[0].MatD3D.Specular, D3DXCOLOR(1, 1, 1, 0));
    EXPECT_FALSE(skinned.textures[0].texture);
}

TEST_F(SkinMesh, SkinMatricesAreIdentityAtTheBindPose) {
    auto model = std::make_shared<CSkinMesh>();
    ASSERT_TRUE(model->Load(xsamples::WriteFile("XFile/tree/tree.x", kTree)));
    CMeshObject object;
    ASSERT_TRUE(object.SetMesh(model));
    ASSERT_EQ(object.bones.size(), 4u);
    EXPECT_EQ(object.bones[2]->depth, 2);
    EXPECT_EQ(object.bones[0]->children.size(), 2u);
    EXPECT_EQ(object.bones[0]->children[1]->frame->Name, "B");
    object.UpdateBoneMatrices(object.bones[0].get(), MatrixIdentity());
    // A's offset comes from the file and inverts its bind pose; the others get the inverse bind pose.
    for (const auto& bone : object.bones) EXPECT_TRUE(NearlyIdentity(bone->skin)) << bone->frame->Name;
    D3DXMATRIX world = MatrixTranslation(10, 0, 0);
    object.UpdateBoneMatrices(object.bones[0].get(), world);
    EXPECT_EQ(MatrixPosition(object.bones[3]->skin), D3DXVECTOR3(10, 0, 0));
    object.Clear();
    EXPECT_TRUE(object.bones.empty());
    EXPECT_FALSE(object.mesh);
}

TEST_F(SkinMesh, PaletteIsCappedAt26Bones) {
    CSkinMesh big, small;
    ASSERT_TRUE(big.Load(xsamples::WriteFile("big.x", xsamples::SkinnedModel(30)))) << big.lastError;
    ASSERT_TRUE(small.Load(xsamples::WriteFile("small.x", xsamples::SkinnedModel(12)))) << small.lastError;
    EXPECT_EQ(big.containers[0]->paletteSize, 26u);
    EXPECT_EQ(big.containers[0]->boneCombinationCount, 2u);
    EXPECT_EQ(big.containers[0]->boneFrames.size(), 30u);
    EXPECT_EQ(small.containers[0]->paletteSize, 12u);
    EXPECT_EQ(small.containers[0]->boneCombinationCount, 1u);
    EXPECT_EQ(small.containers[0]->maxVertexInfluences, 2u);
}

TEST_F(SkinMesh, AFileThatDoesNotLoadLeavesTheModelEmpty) {
    auto model = std::make_shared<CSkinMesh>();
    EXPECT_FALSE(model->Load(xsamples::WriteFile("broken.x", "xof 0303txt 0032\nFrame A {")));
    EXPECT_NE(model->lastError.find("broken.x"), std::string::npos);
    EXPECT_TRUE(model->frames.empty());
    EXPECT_TRUE(model->fileName.empty());
    CMeshObject object;
    EXPECT_FALSE(object.SetMesh(model));
    EXPECT_TRUE(object.bones.empty());
    auto cached = ResourceCache::Instance().GetSkinMesh("data/none.x");
    EXPECT_TRUE(cached->frames.empty());
    EXPECT_EQ(ResourceCache::Instance().GetSkinMesh("data/none.x"), cached);
}
