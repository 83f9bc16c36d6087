// What the model shader's draws hand to the effect: materials, textures, bone palettes (Null device).
#include <memory>
#include <vector>

#include "support/singletons.h"
#include "platform/mesh/mesh.h"
#include "render_fixture.h"
#include "simplelib/mesh_object.h"

namespace {

class ModelShaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetSingletons();
        ASSERT_TRUE(GraphicsDevice::Instance().InitNull(1280, 720));
        shader().Load();
        ASSERT_TRUE(shader().effect);
        device = GraphicsDevice::Instance().device.get();
    }
    void TearDown() override { testsupport::ResetSingletons(); }

    static ModelShader& shader() { return ShaderManager::Instance().mainShader; }
    gpu::Effect& effect() { return *shader().effect; }

    gpu::Texture* BoundTexture() {
        gpu::Texture* texture = nullptr;
        EXPECT_TRUE(effect().GetValue("MateDiffuseTex", &texture, sizeof(texture)));
        return texture;
    }
    int CurNumBones() {
        int bones = -1;
        EXPECT_TRUE(effect().GetValue("CurNumBones", &bones, sizeof(bones)));
        return bones;
    }

    BoxRecorder recorder;
    gpu::Device* device = nullptr;
};

// One triangle per subset: face i has attribute i.
std::shared_ptr<platform::mesh::Mesh> MakeSubsets(gpu::Device* device, DWORD subsets, DWORD fvf) {
    auto mesh = platform::mesh::Mesh::Create(subsets, subsets * 3, 0, fvf, device);
    if (!mesh) return nullptr;
    std::uint16_t* index = nullptr;
    mesh->LockIndexBuffer(0, reinterpret_cast<void**>(&index));
    for (DWORD i = 0; i < subsets * 3; ++i) index[i] = std::uint16_t(i);
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    mesh->LockAttributeBuffer(0, &attributes);
    for (DWORD i = 0; i < subsets; ++i) attributes[i] = i;
    mesh->UnlockAttributeBuffer();
    return mesh;
}

D3DMATERIAL9 Material(float r, float g, float b, float power) {
    D3DMATERIAL9 m;
    m.Diffuse = D3DXCOLOR(r, g, b, 1);
    m.Specular = D3DXCOLOR(g, b, r, 0);
    m.Power = power;
    return m;
}

TEST_F(ModelShaderTest, DrawQuadSetsTheQuadParametersAndDrawsOneFan) {
    D3DXVECTOR4 dirty(9, 9, 9, 9);
    effect().SetVector("MateSpecular", &dirty);
    effect().SetVector("TakeColor", &dirty);
    effect().SetFloat("MateSpePower", 30);
    effect().SetInt("CurNumBones", 3);
    QuadVertex quad[4] = {};
    std::uint64_t draws = device->Counters().draws, primitives = device->Counters().primitives;
    device->SetFVF(kQuadFvf);
    shader().DrawQuad(nullptr, quad, D3DXCOLOR(0.1f, 0.2f, 0.3f, 0.4f));

    EXPECT_EQ(device->Counters().draws - draws, 1u);
    EXPECT_EQ(device->Counters().primitives - primitives, 2u);
    EXPECT_EQ(GetVector(effect(), "MateDiffuse"), D3DXVECTOR4(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(GetVector(effect(), "MateSpecular"), D3DXVECTOR4(0, 0, 0, 0));
    EXPECT_EQ(GetVector(effect(), "TakeColor"), D3DXVECTOR4(0, 0, 0, 0));
    float power = -1;
    ASSERT_TRUE(effect().GetValue("MateSpePower", &power, sizeof(power)));
    EXPECT_EQ(power, 0.0f);
    EXPECT_EQ(CurNumBones(), 0);
    // No texture: the white one, so the colour alone shows.
    ASSERT_TRUE(shader().defaultTexture.texture);
    EXPECT_EQ(BoundTexture(), shader().defaultTexture.texture.get());

    SimpleLib::CTexture image;
    ASSERT_TRUE(image.Create(4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    shader().DrawQuad(&image, quad, D3DXCOLOR(1, 1, 1, 1));
    EXPECT_EQ(BoundTexture(), image.texture.get());
    // A texture record that failed to load falls back to white as well.
    SimpleLib::CTexture empty;
    shader().DrawQuad(&empty, quad, D3DXCOLOR(1, 1, 1, 1));
    EXPECT_EQ(BoundTexture(), shader().defaultTexture.texture.get());
}

TEST_F(ModelShaderTest, QueuedQuadsDrawOnceForEachRunOfOneTextureAndCullMode) {
    SimpleLib::CTexture first, second;
    ASSERT_TRUE(first.Create(2, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    ASSERT_TRUE(second.Create(2, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    QuadVertex quad[4] = {};
    const D3DXMATRIX world = MatrixIdentity();
    device->SetFVF(kQuadFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    std::uint64_t draws = device->Counters().draws, primitives = device->Counters().primitives;
    shader().QueueQuad(&first, quad, world, D3DXCOLOR(1, 1, 1, 1));
    shader().QueueQuad(&first, quad, world, D3DXCOLOR(1, 1, 1, 1));
    EXPECT_EQ(device->Counters().draws, draws); // nothing is drawn while the run goes on
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    shader().QueueQuad(&first, quad, world, D3DXCOLOR(1, 1, 1, 1));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    shader().QueueQuad(&second, quad, world, D3DXCOLOR(1, 1, 1, 1));
    shader().QueueQuad(&second, quad, world, D3DXCOLOR(1, 1, 1, 1));
    shader().FlushQuads();
    shader().FlushQuads(); // nothing left to draw

    EXPECT_EQ(device->Counters().draws - draws, 3u);
    EXPECT_EQ(device->Counters().primitives - primitives, 10u);
    EXPECT_EQ(BoundTexture(), second.texture.get());
    // The batch's own vertex format and cull mode are put back.
    EXPECT_EQ(device->GetFVF(), kQuadFvf);
    EXPECT_EQ(device->GetRenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
}

TEST_F(ModelShaderTest, DefaultTextureIsOneOpaqueWhitePixel) {
    SimpleLib::CTexture& white = shader().defaultTexture;
    ASSERT_TRUE(white.texture);
    EXPECT_EQ(white.texture->Width(), 1u);
    EXPECT_EQ(white.texture->Height(), 1u);
    gpu::LockedRect locked;
    ASSERT_TRUE(white.texture->LockRect(&locked));
    EXPECT_EQ(*static_cast<std::uint32_t*>(locked.pBits), 0xFFFFFFFFu);
    white.texture->UnlockRect();
}

TEST_F(ModelShaderTest, DrawMeshSetsEachMaterialAndDrawsItsSubset) {
    auto mesh = MakeSubsets(device, 3, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
    ASSERT_TRUE(mesh);
    D3DMATERIAL9 materials[3] = {Material(1, 0, 0, 5), Material(0, 1, 0, 0), Material(0, 0, 1, 40)};
    SimpleLib::CTexture textures[3];
    ASSERT_TRUE(textures[2].Create(2, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    effect().SetInt("CurNumBones", 4);
    std::uint64_t draws = device->Counters().draws;
    shader().DrawMesh(StaticMeshParts{mesh.get(), materials, textures, 3});
    EXPECT_EQ(device->Counters().draws - draws, 3u);
    EXPECT_EQ(CurNumBones(), 0);
    // The last material's values are what the effect holds afterwards.
    EXPECT_EQ(GetVector(effect(), "MateDiffuse"), D3DXVECTOR4(0, 0, 1, 1));
    EXPECT_EQ(GetVector(effect(), "MateSpecular"), D3DXVECTOR4(0, 1, 0, 0));
    float power = 0;
    ASSERT_TRUE(effect().GetValue("MateSpePower", &power, sizeof(power)));
    EXPECT_EQ(power, 40.0f);
    EXPECT_EQ(BoundTexture(), textures[2].texture.get());

    // Two materials, no texture records at all: both subsets, white texture.
    draws = device->Counters().draws;
    shader().DrawMesh(StaticMeshParts{mesh.get(), materials, nullptr, 2});
    EXPECT_EQ(device->Counters().draws - draws, 2u);
    EXPECT_EQ(GetVector(effect(), "MateDiffuse"), D3DXVECTOR4(0, 1, 0, 1));
    EXPECT_EQ(BoundTexture(), shader().defaultTexture.texture.get());
}

// A skinned container with hand-made bone combinations over a 4-bone skeleton.
class SkinnedDrawTest : public ModelShaderTest {
protected:
    void SetUp() override {
        ModelShaderTest::SetUp();
        const DWORD fvf = D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1;
        container.MeshData.pMesh = MakeSubsets(device, 2, fvf);
        ASSERT_TRUE(container.MeshData.pMesh);
        container.pSkinInfo = std::make_shared<platform::mesh::SkinInfo>(6, fvf, 4);
        container.NumMaterials = 2;
        container.pMaterials.resize(2);
        container.pMaterials[0].MatD3D = Material(1, 0, 0, 8);
        container.pMaterials[1].MatD3D = Material(0, 1, 0, 16);
        container.textures = std::make_unique<SimpleLib::CTexture[]>(2);
        container.maxVertexInfluences = 3;
        for (int i = 0; i < 4; ++i) {
            frames[i].index = 3 - i; // bones name frames in another order than the skeleton's
            container.boneFrames.push_back(&frames[i]);
            auto node = std::make_unique<SimpleLib::CMeshObject::BoneNode>();
            node->skin = Translation(float(i + 1), 0, 0);
            skeleton.bones.push_back(std::move(node));
        }
    }

    D3DXMATRIX PaletteSlot(DWORD slot, DWORD count) {
        std::vector<D3DXMATRIX> palette(count);
        EXPECT_TRUE(effect().GetValue("mWArray", palette.data(), count * sizeof(D3DXMATRIX)));
        return palette[slot];
    }

    SimpleLib::D3DXFRAME_EX frames[4];
    SimpleLib::MeshContainer container;
    SimpleLib::CMeshObject skeleton;
};

TEST_F(SkinnedDrawTest, PaletteTakesEachBonesSkinMatrixThroughItsFrame) {
    container.paletteSize = 3;
    container.boneCombinationCount = 2;
    container.boneCombinations.resize(2);
    container.boneCombinations[0].AttribId = 1;
    container.boneCombinations[0].BoneId = {0, 2, UINT_MAX32};
    container.boneCombinations[1].AttribId = 0;
    container.boneCombinations[1].BoneId = {3, UINT_MAX32, 1};

    std::uint64_t draws = device->Counters().draws;
    shader().DrawSkinnedMesh(skeleton, container);
    EXPECT_EQ(device->Counters().draws - draws, 2u);
    // Group 1: bone 3 -> frame index 0 -> skin x=1; empty slot 1 keeps group 0's bone 2 (frame 1,
    // skin x=2); bone 1 -> frame index 2 -> skin x=3.
    EXPECT_EQ(PaletteSlot(0, 3), Translation(1, 0, 0));
    EXPECT_EQ(PaletteSlot(1, 3), Translation(2, 0, 0));
    EXPECT_EQ(PaletteSlot(2, 3), Translation(3, 0, 0));
    EXPECT_EQ(CurNumBones(), 3);
    EXPECT_EQ(GetVector(effect(), "MateDiffuse"), D3DXVECTOR4(1, 0, 0, 1));
    EXPECT_EQ(BoundTexture(), shader().defaultTexture.texture.get());
}

TEST_F(SkinnedDrawTest, PaletteBufferOnlyGrows) {
    container.boneCombinationCount = 1;
    container.boneCombinations.resize(1);
    container.paletteSize = 4;
    container.boneCombinations[0].BoneId = {0, 1, 2, 3};
    shader().DrawSkinnedMesh(skeleton, container);
    std::size_t grown = ModelShader::Palette().size();
    EXPECT_GE(grown, 4u);
    const D3DXMATRIX* storage = ModelShader::Palette().data();

    container.paletteSize = 2;
    container.boneCombinations[0].BoneId = {1, 0};
    shader().DrawSkinnedMesh(skeleton, container);
    EXPECT_EQ(ModelShader::Palette().size(), grown);
    EXPECT_EQ(ModelShader::Palette().data(), storage) << "no reallocation for a smaller palette";
    EXPECT_EQ(PaletteSlot(0, 2), Translation(3, 0, 0));
}

TEST_F(SkinnedDrawTest, BrokenBoneReferencesAreSkippedNotFollowed) {
    container.paletteSize = 2;
    container.boneCombinationCount = 5; // more than there are
    container.boneCombinations.resize(1);
    container.boneCombinations[0].AttribId = 7; // no such material
    container.boneCombinations[0].BoneId = {42, 1};
    frames[1].index = 99; // a frame outside the skeleton
    std::uint64_t draws = device->Counters().draws;
    shader().DrawSkinnedMesh(skeleton, container);
    EXPECT_EQ(device->Counters().draws - draws, 1u);
    EXPECT_EQ(GetVector(effect(), "MateDiffuse"), D3DXVECTOR4(1, 0, 0, 1));
}

TEST_F(SkinnedDrawTest, ABoneWithoutAFrameHoldsItsSlotStill) {
    container.paletteSize = 2;
    container.boneCombinationCount = 2;
    container.boneCombinations.resize(2);
    container.boneCombinations[0].BoneId = {0, 1};
    container.boneCombinations[1].BoneId = {2, 1};
    container.boneFrames[2] = nullptr; // its name matched no frame when the model loaded
    shader().DrawSkinnedMesh(skeleton, container);
    // The root's skin (x=1), which places the model as a whole; not the slot's previous bone 0 (x=4).
    EXPECT_EQ(PaletteSlot(0, 2), Translation(1, 0, 0));
    EXPECT_EQ(PaletteSlot(1, 2), Translation(3, 0, 0)) << "bone 1 keeps its own frame (index 2)";
}

TEST_F(SkinnedDrawTest, RigidContainerDrawsEachMaterialUnskinned) {
    container.pSkinInfo.reset();
    effect().SetInt("CurNumBones", 3);
    std::uint64_t draws = device->Counters().draws;
    shader().DrawSkinnedMesh(skeleton, container);
    EXPECT_EQ(device->Counters().draws - draws, 2u);
    EXPECT_EQ(CurNumBones(), 0) << "a rigid container must not be blended by a stale palette";
    EXPECT_EQ(GetVector(effect(), "MateDiffuse"), D3DXVECTOR4(0, 1, 0, 1));
}

} // namespace
