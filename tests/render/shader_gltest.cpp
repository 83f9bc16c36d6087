// Shaders on the real OpenGL device: matrices, colours, the glow output and the blur chain, read back.
#include <cmath>
#include <string>

#include "support/singletons.h"
#include "platform/mesh/mesh.h"
#include "platform/mesh/skin_info.h"
#include "platform/window/window.h"
#include "render/graphics_quality.h"
#include "render_fixture.h"
#include "simplelib/mesh_object.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720;

class ShaderGlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(platform::window::InitVideo(&error)) << error;
        window = new platform::window::Window();
        ASSERT_TRUE(window->Create("shader test", kWidth, kHeight, &error)) << error;
    }
    static void TearDownTestSuite() {
        testsupport::ResetSingletons();
        delete window;
        window = nullptr;
    }

    void SetUp() override {
        testsupport::ResetSingletons();
        ASSERT_TRUE(GraphicsDevice::Instance().Init(window->Handle(), kWidth, kHeight, false));
        GraphicsDevice::Instance().SetDefaultStates();
        auto& shaders = ShaderManager::Instance();
        shaders.mainShader.Load();
        shaders.objectShader.Load();
        shaders.blur.Load();
        ASSERT_TRUE(recorder.boxes.empty()) << recorder.boxes[0].text;
        device = GraphicsDevice::Instance().device.get();
        device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
        device->BeginScene();
    }

    // Camera at the origin looking down +z, 90 degrees vertical field of view.
    void SetCamera(ModelShader& shader) {
        D3DXMATRIX view, projection;
        D3DXMatrixIdentity(&view);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, float(kWidth) / kHeight, 1.0f, 100.0f);
        shader.SetMatrix("mV", view);
        shader.SetMatrix("mP", projection);
        D3DXVECTOR3 eye(0, 0, 0);
        shader.SetValue("CamPos", &eye, sizeof(eye));
        viewProjection = view * projection;
    }

    // Where a world point lands on the screen, in pixels (row 0 at the top).
    D3DXVECTOR2 ScreenOf(const D3DXVECTOR3& world) const {
        D3DXVECTOR3 ndc;
        D3DXVec3TransformCoord(&ndc, &world, &viewProjection);
        return {(ndc.x + 1) * 0.5f * kWidth, (1 - ndc.y) * 0.5f * kHeight};
    }

    std::uint32_t BackPixel(int x, int y) {
        if (back.empty()) {
            std::uint32_t w = 0, h = 0;
            EXPECT_TRUE(device->ReadBackBuffer(back, w, h));
            EXPECT_EQ(w, std::uint32_t(kWidth));
        }
        return back[std::size_t(y) * kWidth + x];
    }

    static void FillQuad(QuadVertex* quad, float halfWidth, float halfHeight, D3DCOLOR colour) {
        // Upright in the X-Y plane, corners in the order the effects use (a fan, clockwise on screen).
        quad[0] = {-halfWidth, halfHeight, 0, colour, 0, 0};
        quad[1] = {halfWidth, halfHeight, 0, colour, 1, 0};
        quad[2] = {halfWidth, -halfHeight, 0, colour, 1, 1};
        quad[3] = {-halfWidth, -halfHeight, 0, colour, 0, 1};
    }

    void DrawEffectQuad(const D3DXMATRIX& world, D3DCOLOR vertexColour, const D3DXCOLOR& colour,
                        SimpleLib::CTexture* texture = nullptr) {
        QuadVertex quad[4];
        FillQuad(quad, 1, 1, vertexColour);
        ModelShader& shader = ShaderManager::Instance().mainShader;
        shader.SetMatrix("mW", world);
        device->SetFVF(kQuadFvf);
        shader.DrawQuad(texture, quad, colour);
    }

    static platform::window::Window* window;
    BoxRecorder recorder;
    gpu::Device* device = nullptr;
    D3DXMATRIX viewProjection;
    std::vector<std::uint32_t> back;
};
platform::window::Window* ShaderGlTest::window = nullptr;

int Red(std::uint32_t argb) { return (argb >> 16) & 0xFF; }
int Green(std::uint32_t argb) { return (argb >> 8) & 0xFF; }
int Blue(std::uint32_t argb) { return argb & 0xFF; }

TEST_F(ShaderGlTest, QuadLandsWhereTheRowVectorMatricesPutIt) {
    ModelShader& shader = ShaderManager::Instance().mainShader;
    SetCamera(shader);
    // Scaled and moved up-right: a transposed matrix would lose the translation or mirror it.
    D3DXMATRIX world = MatrixScaling(2, 1, 1) * Translation(4, 2, 10);
    DrawEffectQuad(world, 0xFFFFFFFF, D3DXCOLOR(1, 0, 0, 1));
    device->EndScene();

    D3DXVECTOR2 topLeft = ScreenOf(D3DXVECTOR3(2, 3, 10));
    D3DXVECTOR2 bottomRight = ScreenOf(D3DXVECTOR3(6, 1, 10));
    ASSERT_GT(topLeft.x, kWidth / 2);
    ASSERT_LT(bottomRight.y, kHeight / 2);
    int cx = int((topLeft.x + bottomRight.x) / 2), cy = int((topLeft.y + bottomRight.y) / 2);
    std::uint32_t centre = BackPixel(cx, cy);
    EXPECT_GE(Red(centre), 250);
    EXPECT_LE(Green(centre), 5);
    EXPECT_LE(Blue(centre), 5);
    // Just inside and just outside each edge.
    int l = int(std::ceil(topLeft.x)), r = int(std::floor(bottomRight.x));
    int t = int(std::ceil(topLeft.y)), b = int(std::floor(bottomRight.y));
    EXPECT_GE(Red(BackPixel(l + 1, cy)), 250);
    EXPECT_GE(Red(BackPixel(r - 2, cy)), 250);
    EXPECT_GE(Red(BackPixel(cx, t + 1)), 250);
    EXPECT_GE(Red(BackPixel(cx, b - 2)), 250);
    EXPECT_EQ(Red(BackPixel(l - 2, cy)), 0);
    EXPECT_EQ(Red(BackPixel(r + 2, cy)), 0);
    EXPECT_EQ(Red(BackPixel(cx, t - 2)), 0);
    EXPECT_EQ(Red(BackPixel(cx, b + 2)), 0);
    // Nothing at the mirrored places.
    EXPECT_EQ(Red(BackPixel(kWidth - cx, cy)), 0);
    EXPECT_EQ(Red(BackPixel(cx, kHeight - cy)), 0);
}

TEST_F(ShaderGlTest, QuadColourIsTextureTimesVertexColourTimesDrawColour) {
    ModelShader& shader = ShaderManager::Instance().mainShader;
    SetCamera(shader);
    // A half-grey texture, a vertex colour without blue and a draw colour at half green.
    SimpleLib::CTexture grey;
    ASSERT_TRUE(grey.Create(2, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    gpu::LockedRect locked;
    ASSERT_TRUE(grey.texture->LockRect(&locked));
    for (int y = 0; y < 2; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
        row[0] = row[1] = 0xFF808080;
    }
    grey.texture->UnlockRect();
    DrawEffectQuad(Translation(0, 0, 5), 0xFFFFFF00, D3DXCOLOR(1, 0.5f, 1, 1), &grey);
    device->EndScene();
    std::uint32_t c = BackPixel(kWidth / 2, kHeight / 2);
    EXPECT_NEAR(Red(c), 128, 3);
    EXPECT_NEAR(Green(c), 64, 3);
    EXPECT_EQ(Blue(c), 0);
}

TEST_F(ShaderGlTest, EffectOpacityCountsOnceAndQuadsFadeOutNearTheCamera) {
    ModelShader& shader = ShaderManager::Instance().mainShader;
    SetCamera(shader);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    // Half opacity as an effect gives it: in both the vertex colours and the draw colour.
    DrawEffectQuad(MatrixScaling(0.5f, 0.5f, 1) * Translation(-2, 0, 5), 0x80FFFFFF, D3DXCOLOR(1, 1, 1, 128 / 255.0f));
    // Opaque white quads ever closer to the camera (the projection's near plane is at 1), each the
    // same size on the screen and in its own place along a row below the centre.
    const float depths[] = {1.05f, 2.0f, 3.0f, 12.0f};
    auto placed = [](int i, float z) { return D3DXVECTOR3((0.4f * float(i) - 0.6f) * z, -0.4f * z, z); };
    for (int i = 0; i < 4; ++i) {
        const D3DXVECTOR3 p = placed(i, depths[i]);
        const float half = 0.05f * depths[i];
        DrawEffectQuad(MatrixScaling(half, half, 1) * Translation(p.x, p.y, p.z), 0xFFFFFFFF, D3DXCOLOR(1, 1, 1, 1));
    }
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->EndScene();
    auto redAt = [&](const D3DXVECTOR3& p) {
        const D3DXVECTOR2 s = ScreenOf(p);
        return Red(BackPixel(int(s.x), int(s.y)));
    };
    EXPECT_NEAR(redAt({-2, 0, 5}), 128, 4) << "alpha 128 draws at half, not a quarter";
    EXPECT_LE(redAt(placed(0, depths[0])), 8) << "a quad at the camera is gone";
    const int between = redAt(placed(1, depths[1]));
    EXPECT_GT(between, 40);
    EXPECT_LT(between, 215);
    EXPECT_GE(redAt(placed(2, depths[2])), 250) << "whole from three units on";
    EXPECT_GE(redAt(placed(3, depths[3])), 250);
}

// A square of two triangles facing the camera (normals towards -z), one material.
std::shared_ptr<platform::mesh::Mesh> MakeSquare(gpu::Device* device, float half, float z) {
    struct Vertex {
        float x, y, z, nx, ny, nz, u, v;
    };
    auto mesh = platform::mesh::Mesh::Create(2, 4, 0, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, device);
    if (!mesh) return nullptr;
    Vertex* v = nullptr;
    mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&v));
    v[0] = {-half, half, z, 0, 0, -1, 0, 0};
    v[1] = {half, half, z, 0, 0, -1, 1, 0};
    v[2] = {half, -half, z, 0, 0, -1, 1, 1};
    v[3] = {-half, -half, z, 0, 0, -1, 0, 1};
    mesh->UnlockVertexBuffer();
    std::uint16_t* index = nullptr;
    mesh->LockIndexBuffer(0, reinterpret_cast<void**>(&index));
    const std::uint16_t order[6] = {0, 1, 2, 0, 2, 3};
    std::copy(order, order + 6, index);
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    mesh->LockAttributeBuffer(0, &attributes);
    attributes[0] = attributes[1] = 0;
    mesh->UnlockAttributeBuffer();
    return mesh;
}

TEST_F(ShaderGlTest, UntexturedMaterialIsLitInItsOwnColour) {
    auto& shaders = ShaderManager::Instance();
    ModelShader& shader = shaders.objectShader;
    SetCamera(shader);
    // The light shines straight at the square: full diffuse, a little ambient.
    shaders.SetLight(D3DXVECTOR3(0, 0, 1), D3DXCOLOR(1, 1, 1, 1), D3DXCOLOR(0.2f, 0.2f, 0.2f, 1),
                     D3DXCOLOR(1, 1, 1, 1));
    auto mesh = MakeSquare(device, 2, 0);
    ASSERT_TRUE(mesh);
    D3DMATERIAL9 material;
    material.Diffuse = D3DXCOLOR(0.25f, 0.5f, 0, 1);
    SimpleLib::CTexture noTexture;
    StaticMeshParts parts{mesh.get(), &material, &noTexture, 1};
    shader.SetMatrix("mW", Translation(0, 0, 5));
    shader.DrawMesh(parts);
    device->EndScene();
    std::uint32_t c = BackPixel(kWidth / 2, kHeight / 2);
    EXPECT_NEAR(Red(c), int(0.25f * 1.2f * 255), 3);
    EXPECT_NEAR(Green(c), int(0.5f * 1.2f * 255), 3);
    EXPECT_EQ(Blue(c), 0);
    int drawn = 0;
    for (int x = 0; x < kWidth; x += 8) drawn += Green(BackPixel(x, kHeight / 2)) > 0;
    EXPECT_GT(drawn, 10);
    EXPECT_LT(drawn, kWidth / 8);
}

TEST_F(ShaderGlTest, EffectQuadsGlowAndModelsDoNot) {
    auto& shaders = ShaderManager::Instance();
    SetCamera(shaders.mainShader);
    SetCamera(shaders.objectShader);
    shaders.SetLight(D3DXVECTOR3(0, 0, 1), D3DXCOLOR(1, 1, 1, 1), D3DXCOLOR(0, 0, 0, 1), D3DXCOLOR(1, 1, 1, 1));
    SimpleLib::CTexture glow;
    ASSERT_TRUE(glow.Create(kWidth, kHeight, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT));
    auto backBuffer = GraphicsDevice::Instance().backBuffer;
    device->SetRenderTarget(0, glow.surface);
    device->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetRenderTarget(0, backBuffer);
    device->SetRenderTarget(1, glow.surface);

    // A model on the left (drawn while the glow target is bound), a half-transparent quad on the right.
    auto mesh = MakeSquare(device, 1, 0);
    ASSERT_TRUE(mesh);
    D3DMATERIAL9 material;
    material.Diffuse = D3DXCOLOR(0, 1, 0, 1);
    StaticMeshParts parts{mesh.get(), &material, nullptr, 1};
    shaders.objectShader.SetMatrix("mW", Translation(-3, 0, 5));
    shaders.objectShader.DrawMesh(parts);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawEffectQuad(Translation(3, 0, 5), 0xFFFFFFFF, D3DXCOLOR(1, 0.5f, 0, 0.5f));
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderTarget(1, nullptr);
    device->EndScene();

    std::vector<float> rgba;
    ASSERT_TRUE(device->ReadSurface(*glow.surface, rgba));
    ASSERT_EQ(rgba.size(), std::size_t(kWidth) * kHeight * 4);
    auto glowAt = [&](const D3DXVECTOR3& p, int channel) {
        D3DXVECTOR2 s = ScreenOf(p);
        return rgba[(std::size_t(s.y) * kWidth + std::size_t(s.x)) * 4 + channel];
    };
    // The quad's glow is what it shows: its colour blended by its alpha over the black.
    EXPECT_NEAR(glowAt(D3DXVECTOR3(3, 0, 5), 0), 0.5f, 0.02f);
    EXPECT_NEAR(glowAt(D3DXVECTOR3(3, 0, 5), 1), 0.25f, 0.02f);
    EXPECT_NEAR(glowAt(D3DXVECTOR3(3, 0, 5), 3), 1.0f, 0.02f);
    // The model leaves the glow target black, while it does show on the screen.
    EXPECT_EQ(glowAt(D3DXVECTOR3(-3, 0, 5), 1), 0.0f);
    EXPECT_NEAR(glowAt(D3DXVECTOR3(-3, 0, 5), 3), 1.0f, 0.02f);
    D3DXVECTOR2 model = ScreenOf(D3DXVECTOR3(-3, 0, 5));
    EXPECT_GE(Green(BackPixel(int(model.x), int(model.y))), 250);
}

// Fills a render target with black and one white rectangle, through the blur's own copy technique.
void PaintRectangle(gpu::Device* device, SimpleLib::CTexture& target, SimpleLib::CTexture& white, float x, float y,
                    float w, float h) {
    device->SetRenderTarget(0, target.surface);
    device->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ShaderManager::Instance().blur.DrawTexture(x, y, white, w, h, D3DXCOLOR(1, 1, 1, 1));
}

TEST_F(ShaderGlTest, ApplyBlursIntoTargetBAndRestoresTheTarget) {
    auto& shaders = ShaderManager::Instance();
    SimpleLib::CTexture source;
    ASSERT_TRUE(source.Create(kWidth, kHeight, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT));
    auto backBuffer = GraphicsDevice::Instance().backBuffer;
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    // An 80 x 40 white block centred on the screen: 40 x 20 texels in the half-size targets.
    PaintRectangle(device, source, shaders.mainShader.defaultTexture, 600, 340, 80, 40);
    device->SetRenderTarget(0, backBuffer);

    shaders.blur.Apply(source);
    EXPECT_EQ(device->GetRenderTarget(0), backBuffer);
    device->EndScene();

    std::vector<float> rgba;
    ASSERT_TRUE(device->ReadSurface(*shaders.blur.targetB.surface, rgba));
    ASSERT_EQ(rgba.size(), std::size_t(640) * 360 * 4);
    auto red = [&](int x, int y) { return rgba[(std::size_t(y) * 640 + x) * 4]; };
    EXPECT_GT(red(320, 180), 0.85f);
    // The block's edges (half-size texels 300 and 339) are softened, not hard...
    EXPECT_GT(red(300, 180), 0.3f);
    EXPECT_LT(red(300, 180), 0.75f);
    EXPECT_GT(red(295, 180), 0.02f);
    EXPECT_GT(red(320, 165), 0.02f);
    // ...the halo fades out, and it stays centred: left and right, top and bottom match.
    EXPECT_LT(red(270, 180), 0.01f);
    for (int d : {0, 3, 6}) {
        EXPECT_NEAR(red(300 - d, 180), red(339 + d, 180), 0.02f) << d;
        EXPECT_NEAR(red(320, 170 - d), red(320, 189 + d), 0.02f) << d;
    }
    EXPECT_LT(red(5, 5), 0.01f);
}

// Blurring only around the lit pixels gives the whole blur's texels, even over what an earlier,
// elsewhere-lit frame left in the targets.
TEST_F(ShaderGlTest, BlurKeptToTheLitRectangleMatchesTheWholeBlur) {
    auto& shaders = ShaderManager::Instance();
    SimpleLib::CTexture source;
    ASSERT_TRUE(source.Create(kWidth, kHeight, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT));
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    auto blurred = [&](const RECT* lit) {
        PaintRectangle(device, source, shaders.mainShader.defaultTexture, 600, 340, 80, 40);
        device->SetRenderTarget(0, GraphicsDevice::Instance().backBuffer);
        if (lit) shaders.blur.Apply(source, {RECT{0, 0, 8, 8}, *lit});
        else shaders.blur.Apply(source);
        std::vector<float> rgba;
        EXPECT_TRUE(device->ReadSurface(*shaders.blur.targetB.surface, rgba));
        return rgba;
    };
    std::vector<float> whole = blurred(nullptr);
    PaintRectangle(device, source, shaders.mainShader.defaultTexture, 0, 0, 200, 720);
    shaders.blur.Apply(source, {RECT{0, 0, 200, 720}});
    const RECT lit{600, 340, 680, 380};
    std::vector<float> kept = blurred(&lit);
    ASSERT_EQ(kept.size(), whole.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < whole.size(); i += 4)
        differing += whole[i] != kept[i] || whole[i + 1] != kept[i + 1] || whole[i + 2] != kept[i + 2];
    EXPECT_EQ(differing, 0u);
}

TEST_F(ShaderGlTest, GlowAtOneEdgeDoesNotWrapToTheOther) {
    auto& shaders = ShaderManager::Instance();
    SimpleLib::CTexture source;
    ASSERT_TRUE(source.Create(kWidth, kHeight, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT));
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    PaintRectangle(device, source, shaders.mainShader.defaultTexture, 0, 0, 40, 720);
    device->SetRenderTarget(0, GraphicsDevice::Instance().backBuffer);
    shaders.blur.Apply(source);
    device->EndScene();
    std::vector<float> rgba;
    ASSERT_TRUE(device->ReadSurface(*shaders.blur.targetB.surface, rgba));
    auto red = [&](int x, int y) { return rgba[(std::size_t(y) * 640 + x) * 4]; };
    EXPECT_GT(red(0, 180), 0.9f);
    EXPECT_LT(red(639, 180), 0.01f);
}

TEST_F(ShaderGlTest, CompositeAddsTheGlowOverTheScreen) {
    auto& shaders = ShaderManager::Instance();
    SimpleLib::CTexture source;
    ASSERT_TRUE(source.Create(kWidth, kHeight, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT));
    auto backBuffer = GraphicsDevice::Instance().backBuffer;
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    PaintRectangle(device, source, shaders.mainShader.defaultTexture, 600, 340, 80, 40);
    device->SetRenderTarget(0, backBuffer);
    device->Clear(D3DCLEAR_TARGET, 0xFF202020, 1.0f, 0);
    shaders.blur.Apply(source);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    shaders.blur.DrawTexture(0, 0, shaders.blur.targetB, kWidth, kHeight, D3DXCOLOR(1.3f, 1.3f, 1.3f, 1.0f));
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->EndScene();
    EXPECT_EQ(Red(BackPixel(640, 360)), 255);       // saturated in the middle
    EXPECT_GT(Red(BackPixel(596, 360)), 0x20 + 10); // halo beyond the block's edge
    EXPECT_EQ(Red(BackPixel(100, 100)), 0x20);      // the rest of the screen untouched
}

// At exit the device is released by the shutdown sequence, and the shader singleton is destroyed
// after it with its effects and textures.
// The low level draws the world into a target of half the size, with its own depth, and stretches
// it over the whole back buffer; the other levels draw straight into the back buffer.
TEST_F(ShaderGlTest, LowLevelStretchesASmallerWorldOverTheScreen) {
    SceneTarget& scene = ShaderManager::Instance().scene;
    const auto backBuffer = GraphicsDevice::Instance().backBuffer;
    scene.Begin();
    EXPECT_EQ(device->GetRenderTarget(0), backBuffer);
    GraphicsDevice::Instance().quality = GraphicsQuality::Low;
    scene.Begin();
    EXPECT_EQ(device->GetRenderTarget(0)->Width(), std::uint32_t(kWidth / 2));
    EXPECT_EQ(device->GetDepthStencilSurface()->Height(), std::uint32_t(kHeight / 2));
    device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00, 1.0f, 0);
    scene.End();
    GraphicsDevice::Instance().quality = GraphicsQuality::Full;
    EXPECT_EQ(device->GetRenderTarget(0), backBuffer);
    EXPECT_EQ(device->GetDepthStencilSurface()->Width(), std::uint32_t(kWidth));
    for (auto [x, y] : {std::pair{0, 0}, {kWidth - 1, kHeight - 1}, {kWidth / 2, kHeight / 2}, {kWidth - 1, 0}})
        EXPECT_EQ(BackPixel(x, y), 0xFF00FF00u) << x << "," << y;
}

TEST_F(ShaderGlTest, ShadersCanBeDestroyedAfterTheDevice) {
    device->EndScene();
    ASSERT_TRUE(ShaderManager::Instance().blur.targetB.texture);
    ASSERT_TRUE(ShaderManager::Instance().mainShader.effect);
    GraphicsDevice::Instance().Release();
    ShaderManager::ResetInstance(); // must not touch the released device
}

// Two squares side by side: the left one bound to bone 0, the right one half to bone 1, half to bone 2.
class SkinnedGlTest : public ShaderGlTest {
protected:
    struct Vertex {
        float x, y, z, nx, ny, nz, u, v;
    };

    bool BuildContainer() {
        const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
        auto source = platform::mesh::Mesh::Create(4, 8, D3DXMESH_MANAGED, fvf, device);
        if (!source) return false;
        Vertex* v = nullptr;
        source->LockVertexBuffer(0, reinterpret_cast<void**>(&v));
        for (int q = 0; q < 2; ++q) {
            float cx = q ? 1.0f : -1.0f;
            v[q * 4 + 0] = {cx - 0.5f, 0.5f, 0, 0, 0, -1, 0, 0};
            v[q * 4 + 1] = {cx + 0.5f, 0.5f, 0, 0, 0, -1, 1, 0};
            v[q * 4 + 2] = {cx + 0.5f, -0.5f, 0, 0, 0, -1, 1, 1};
            v[q * 4 + 3] = {cx - 0.5f, -0.5f, 0, 0, 0, -1, 0, 1};
        }
        source->UnlockVertexBuffer();
        std::uint16_t* index = nullptr;
        source->LockIndexBuffer(0, reinterpret_cast<void**>(&index));
        const std::uint16_t order[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
        std::copy(order, order + 12, index);
        source->UnlockIndexBuffer();
        DWORD* attributes = nullptr;
        source->LockAttributeBuffer(0, &attributes);
        std::fill(attributes, attributes + 4, 0u);
        source->UnlockAttributeBuffer();

        auto skin = std::make_shared<platform::mesh::SkinInfo>(8, fvf, 3);
        const DWORD left[4] = {0, 1, 2, 3}, right[4] = {4, 5, 6, 7};
        const float full[4] = {1, 1, 1, 1}, half[4] = {0.5f, 0.5f, 0.5f, 0.5f};
        skin->SetBoneInfluence(0, 4, left, full);
        skin->SetBoneInfluence(1, 4, right, half);
        skin->SetBoneInfluence(2, 4, right, half);
        std::string error;
        if (!skin->ConvertToIndexedBlendedMesh(source.get(), D3DXMESH_MANAGED, 3, nullptr,
                                               &container.maxVertexInfluences, &container.boneCombinationCount,
                                               &container.boneCombinations, &container.MeshData.pMesh, &error)) {
            ADD_FAILURE() << error;
            return false;
        }
        container.pSkinInfo = skin;
        container.sourceMesh = source;
        container.paletteSize = 3;
        container.NumMaterials = 1;
        container.pMaterials.resize(1);
        container.pMaterials[0].MatD3D.Diffuse = D3DXCOLOR(0, 1, 0, 1);
        container.textures = std::make_unique<SimpleLib::CTexture[]>(1);
        for (int i = 0; i < 3; ++i) {
            frames[i].index = i;
            container.boneFrames.push_back(&frames[i]);
            skeleton.bones.push_back(std::make_unique<SimpleLib::CMeshObject::BoneNode>());
        }
        return true;
    }

    SimpleLib::D3DXFRAME_EX frames[3];
    SimpleLib::MeshContainer container;
    SimpleLib::CMeshObject skeleton;
};

// Skinned formats carry fewer betas than their position code suggests (XYZB2 is one weight plus the
// packed indices); reading them wrong shifts every later attribute and smears the mesh.
TEST_F(SkinnedGlTest, VerticesFollowTheirBlendedBones) {
    ASSERT_TRUE(BuildContainer());
    EXPECT_EQ(container.maxVertexInfluences, 2u);
    auto& shaders = ShaderManager::Instance();
    ModelShader& shader = shaders.mainShader;
    SetCamera(shader);
    shaders.SetLight(D3DXVECTOR3(0, 0, 1), D3DXCOLOR(1, 1, 1, 1), D3DXCOLOR(0, 0, 0, 1), D3DXCOLOR(1, 1, 1, 1));
    // Skin matrices already place the vertices in the world: "mW" must not move them again.
    shader.SetMatrix("mW", Translation(100, 100, 100));
    skeleton.bones[0]->skin = Translation(-3, 1, 5);
    skeleton.bones[1]->skin = Translation(2, 0, 5);
    skeleton.bones[2]->skin = Translation(2, -2, 5);
    shader.DrawSkinnedMesh(skeleton, container);
    device->EndScene();

    auto greenAt = [&](float x, float y) {
        D3DXVECTOR2 s = ScreenOf(D3DXVECTOR3(x, y, 5));
        return Green(BackPixel(int(s.x), int(s.y)));
    };
    EXPECT_GE(greenAt(-4, 1), 250); // left square: bone 0 alone
    EXPECT_GE(greenAt(3, -1), 250); // right square: halfway between bones 1 and 2
    EXPECT_EQ(greenAt(3, 0), 0);    // where bone 1 alone would have put it
    EXPECT_EQ(greenAt(3, -2), 0);   // where bone 2 alone would have put it
    EXPECT_EQ(greenAt(-1, 0), 0);   // the bind pose
    EXPECT_EQ(greenAt(1, 0), 0);
}

} // namespace
