// Every generated model of the game's data loads through the model library as the game uses it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "simplelib/animator.h"
#include "simplelib/mesh.h"
#include "simplelib/model_fixture.h"

using Content = ModelTest;

namespace {

bool HaveContent() { return std::filesystem::exists("data/XFile/houki.x"); }

} // namespace

TEST_F(Content, CharactersLoadAsSkinnedModelsWithTheSeatedAnimation) {
    if (!HaveContent()) GTEST_SKIP() << "generated content not built";
    for (const char* path : {"data/XFile/aaa/perlita.x", "data/XFile/velka/velka.x", "data/XFile/mirro/mirro.x"}) {
        SCOPED_TRACE(path);
        auto model = ResourceCache::Instance().GetSkinMesh(path);
        ASSERT_FALSE(model->frames.empty()) << model->lastError;
        ASSERT_FALSE(model->containers.empty());
        bool skinned = false;
        for (const SimpleLib::MeshContainer* c : model->containers) {
            if (!c->pSkinInfo) continue;
            skinned = true;
            EXPECT_EQ(c->boneFrames.size(), c->pSkinInfo->GetNumBones());
            for (const auto* frame : c->boneFrames) EXPECT_NE(frame, nullptr); // every bone names a frame
            EXPECT_LE(c->paletteSize, SimpleLib::kMaxPaletteSize);
            EXPECT_GE(c->maxVertexInfluences, 1u);
            EXPECT_EQ(c->boneCombinationCount, c->boneCombinations.size());
        }
        EXPECT_TRUE(skinned);
        SimpleLib::CMeshObject object;
        ASSERT_TRUE(object.SetMesh(model));
        SimpleLib::CAnimator animator;
        animator.Setup(object);
        std::uint32_t seated = animator.FindAnimation("座り");
        ASSERT_NE(seated, 0xFFFFFFFFu);
        ASSERT_TRUE(animator.SetTrackAnimation(seated, 1.0f, 1.0, 0.0));
        ASSERT_TRUE(animator.ChangeAnimation(seated + 1, 1.0, 0.0, 0.0, 20.0));
        for (int frame = 0; frame < 30; ++frame) {
            animator.AdvanceTime(1.0);
            object.UpdateBoneMatrices(object.bones[0].get(), MatrixIdentity());
        }
        EXPECT_EQ(animator.tracks.size(), 1u);
        for (const auto& bone : object.bones)
            for (int i = 0; i < 16; ++i) ASSERT_TRUE(std::isfinite(bone->skin.data()[i]));
    }
}

TEST_F(Content, PropsAndMapObjectsLoadAsStaticMeshes) {
    if (!HaveContent()) GTEST_SKIP() << "generated content not built";
    for (const char* path : {"data/XFile/houki.x", "data/XFile/SkySphere/Sky.x"}) {
        auto mesh = ResourceCache::Instance().GetMesh(path);
        EXPECT_TRUE(mesh->mesh) << path;
        EXPECT_GT(mesh->materialCount, 0) << path;
    }
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("data/MapObject")) {
        if (entry.path().extension() != ".x") continue;
        ++count;
        std::shared_ptr<platform::mesh::Mesh> mesh;
        std::vector<D3DXMATERIAL> materials;
        std::vector<DWORD> adjacency;
        DWORD materialCount = 0;
        std::string error;
        ASSERT_TRUE(D3DXLoadMeshFromX(entry.path().string(), D3DXMESH_MANAGED, GraphicsDevice::Instance().device.get(),
                                      &adjacency, &materials, &materialCount, &mesh, &error))
            << error;
        auto clone = mesh->CloneMeshFVF(0x4220, 0x112, mesh->GetDevice());
        ASSERT_TRUE(clone) << entry.path();
        EXPECT_EQ(clone->GetNumBytesPerVertex(), 32u);
        EXPECT_EQ(adjacency.size(), std::size_t(mesh->GetNumFaces()) * 3);
    }
    EXPECT_GE(count, 5);
}

TEST_F(Content, XinfoSummarisesACharacter) {
    const char* build = std::getenv("ORLENDA_BUILD");
    if (!HaveContent() || !build || !std::filesystem::exists(std::string(build) + "/tools/xinfo"))
        GTEST_SKIP() << "xinfo or content not built";
    std::string command = std::string(build) + "/tools/xinfo data/XFile/aaa/perlita.x";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, pipe)) out += buf;
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_NE(out.find("frame 0 "), std::string::npos);
    EXPECT_NE(out.find("animation set \"座り\""), std::string::npos);
    EXPECT_EQ(out.find("matches no frame"), std::string::npos);

    const std::string loose = testing::TempDir() + "xinfo_loose_bone.x";
    std::ofstream(loose) << "xof 0303txt 0032\nFrame R { Mesh M { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;\n"
                            "SkinWeights { \"r\"; 1; 0; 1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } } }\n";
    pipe = popen((std::string(build) + "/tools/xinfo " + loose).c_str(), "r");
    ASSERT_TRUE(pipe);
    out.clear();
    while (std::fgets(buf, sizeof buf, pipe)) out += buf;
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_NE(out.find("bone \"r\": 1 weights (matches no frame"), std::string::npos) << out;
}
