// Skin information and the conversion to an indexed blended mesh with bone palettes.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/mesh/hierarchy.h"
#include "support/x_samples.h"

using platform::mesh::Mesh;
using platform::mesh::SkinInfo;

namespace {

// Keeps what the loader hands over so the test can look at raw containers.
class RecordingAllocator : public ID3DXAllocateHierarchy {
public:
    HRESULT CreateFrame(const char* name, D3DXFRAME** out) override {
        order.push_back(std::string("frame ") + name);
        *out = new D3DXFRAME();
        (*out)->Name = name;
        return S_OK;
    }
    HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* data, const D3DXMATERIAL*, const void*,
                                DWORD numMaterials, const DWORD* adjacency, std::shared_ptr<SkinInfo> skin,
                                D3DXMESHCONTAINER** out) override {
        order.push_back(std::string("mesh ") + name);
        if (failMeshes) return E_OUTOFMEMORY;
        auto c = new D3DXMESHCONTAINER();
        c->Name = name;
        c->MeshData = *data;
        c->NumMaterials = numMaterials;
        c->pAdjacency.assign(adjacency, adjacency + data->pMesh->GetNumFaces() * 3);
        c->pSkinInfo = skin;
        *out = c;
        return S_OK;
    }
    HRESULT DestroyFrame(D3DXFRAME* f) override {
        ++destroyed;
        delete f;
        return S_OK;
    }
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* c) override {
        ++destroyed;
        delete c;
        return S_OK;
    }
    std::vector<std::string> order;
    bool failMeshes = false;
    int destroyed = 0;
};

struct Loaded {
    RecordingAllocator allocator;
    D3DXFRAME* root = nullptr;
    std::shared_ptr<platform::mesh::AnimationController> controller;
    ~Loaded() { D3DXFrameDestroy(root, &allocator); }
};

void Load(const std::string& text, Loaded& out) {
    std::string error;
    std::string path = xsamples::WriteFile("skin.x", text);
    ASSERT_EQ(D3DXLoadMeshHierarchyFromX(path, D3DXMESH_MANAGED, nullptr, &out.allocator, nullptr, &out.root,
                                         &out.controller, &error),
              S_OK)
        << error;
}

} // namespace

TEST(Hierarchy, AllocatorIsCalledFrameFirstThenMeshesThenChildren) {
    Loaded l;
    Load(xsamples::SkinnedModel(3, true), l);
    EXPECT_EQ(l.allocator.order,
              (std::vector<std::string>{"frame Root", "mesh Body", "frame Bone0", "frame Bone1", "frame Bone2"}));
    ASSERT_TRUE(l.root && l.root->pMeshContainer);
    EXPECT_EQ(l.root->pFrameFirstChild->pFrameSibling->Name, "Bone1");
    const auto& skin = *l.root->pMeshContainer->pSkinInfo;
    EXPECT_EQ(skin.GetNumBones(), 3u);
    EXPECT_STREQ(skin.GetBoneName(2), "Bone2");
    EXPECT_EQ(skin.GetBoneOffsetMatrix(1)->_41, -1.0f);
    EXPECT_EQ(skin.GetNumBoneInfluences(1), 4u);
    EXPECT_EQ(skin.GetMaxVertexInfluences(), 2u);
    ASSERT_TRUE(l.controller);
    ASSERT_EQ(l.controller->GetNumAnimationSets(), 1u);
    EXPECT_EQ(l.controller->GetAnimationSet(0)->GetSourceTicksPerSecond(), 60.0);
    DWORD index = 9;
    EXPECT_TRUE(l.controller->GetAnimationSet(0)->GetAnimationIndexByName("Bone0", &index));
    EXPECT_EQ(index, 0u);
}

TEST(Hierarchy, AFailingAllocatorLeavesNothingBehind) {
    RecordingAllocator allocator;
    allocator.failMeshes = true;
    D3DXFRAME* root = reinterpret_cast<D3DXFRAME*>(1);
    std::string error;
    std::string path = xsamples::WriteFile("fail.x", xsamples::SkinnedModel(2));
    EXPECT_EQ(D3DXLoadMeshHierarchyFromX(path, 0, nullptr, &allocator, nullptr, &root, nullptr, &error), E_OUTOFMEMORY);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(allocator.destroyed, 1); // the root frame made before its mesh was refused
    EXPECT_FALSE(error.empty());
}

TEST(Hierarchy, MatrixKeysBecomeScaleRotationAndTranslation) {
    std::string extra = "AnimationSet M { Animation { {Bone0} AnimationKey { 4; 1; 3; 16; "
                        "0,2,0,0, -2,0,0,0, 0,0,2,0, 7,8,9,1;;; } } }\n";
    Loaded l;
    Load(xsamples::SkinnedModel(1, false, extra), l);
    const auto& anim = l.controller->GetAnimationSet(0)->animations[0];
    ASSERT_EQ(anim.scaleKeys.size(), 1u);
    EXPECT_NEAR(anim.scaleKeys[0].Value.x, 2.0f, 1e-5f);
    EXPECT_EQ(anim.translationKeys[0].Value, D3DXVECTOR3(7, 8, 9));
    // Rotation keys keep the file's convention: negating w gives back the matrix's rotation.
    D3DXQUATERNION q = anim.rotationKeys[0].Value;
    q.w = -q.w;
    D3DXMATRIX r;
    D3DXMatrixRotationQuaternion(&r, &q);
    EXPECT_NEAR(r._12, 1.0f, 1e-5f);
    EXPECT_NEAR(r._21, -1.0f, 1e-5f);
}

TEST(SkinConversion, PalettesHoldEveryBoneOfTheirFacesAndWeightsSurvive) {
    Loaded l;
    Load(xsamples::SkinnedModel(30), l);
    const D3DXMESHCONTAINER& c = *l.root->pMeshContainer;
    const Mesh& source = *c.MeshData.pMesh;
    DWORD influences = 0, count = 0;
    std::vector<D3DXBONECOMBINATION> combinations;
    std::shared_ptr<Mesh> blended;
    ASSERT_TRUE(c.pSkinInfo->ConvertToIndexedBlendedMesh(&source, 0x4000220, 26, c.pAdjacency.data(), &influences,
                                                         &count, &combinations, &blended));
    EXPECT_EQ(influences, 2u);
    EXPECT_EQ(count, combinations.size());
    EXPECT_EQ(count, 2u); // 30 bones do not fit one palette of 26
    EXPECT_EQ(blended->GetFVF(), DWORD(D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL));
    EXPECT_EQ(blended->GetNumFaces(), source.GetNumFaces());
    const auto& layout = blended->GetLayout();
    std::set<DWORD> seenBones;
    for (DWORD g = 0; g < count; ++g) {
        const D3DXBONECOMBINATION& combo = combinations[g];
        ASSERT_EQ(combo.BoneId.size(), 26u);
        for (DWORD f = combo.FaceStart; f < combo.FaceStart + combo.FaceCount; ++f) {
            EXPECT_EQ(blended->Attributes()[f], g);
            for (int k = 0; k < 3; ++k) {
                const std::uint8_t* v = blended->Vertices() + blended->Indices()[f * 3 + k] * layout.weightCount * 0 +
                                        std::size_t(blended->Indices()[f * 3 + k]) * blended->GetNumBytesPerVertex();
                float w0;
                std::uint8_t slots[4];
                std::memcpy(&w0, v + layout.weights, 4);
                std::memcpy(slots, v + layout.indices, 4);
                DWORD bone = combo.BoneId[slots[0]];
                ASSERT_NE(bone, 0xFFFFFFFFu);
                seenBones.insert(bone);
                // Corner 2 of a middle triangle is shared half and half with the next bone.
                if (k == 2 && bone + 1 < 30) {
                    EXPECT_FLOAT_EQ(w0, 0.5f);
                    EXPECT_EQ(combo.BoneId[slots[1]], bone == 29 ? bone : bone + 1);
                } else if (k < 2) {
                    EXPECT_FLOAT_EQ(w0, 1.0f);
                    EXPECT_EQ(bone, f); // triangle f belongs to bone f
                }
            }
        }
    }
    EXPECT_EQ(seenBones.size(), 30u);
}

TEST(SkinConversion, RefusesAPaletteSmallerThanOneFaceNeeds) {
    Loaded l;
    Load(xsamples::SkinnedModel(4), l);
    const D3DXMESHCONTAINER& c = *l.root->pMeshContainer;
    std::shared_ptr<Mesh> blended;
    std::string error;
    EXPECT_FALSE(c.pSkinInfo->ConvertToIndexedBlendedMesh(c.MeshData.pMesh.get(), 0, 1, nullptr, nullptr, nullptr,
                                                          nullptr, &blended, &error));
    EXPECT_FALSE(blended);
    EXPECT_NE(error.find("palette"), std::string::npos);
}
