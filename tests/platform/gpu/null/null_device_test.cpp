// The Null device: states, textures and render targets, draw logs, sprites, text and effects.
#include <gtest/gtest.h>

#include "platform/gpu/gpu_test_util.h"
#include "platform/gpu/backends.h"
#include "platform/gpu/device.h"
#include "platform/gpu/null/null_device.h"

using namespace gpu;

namespace {

struct NullFixture : ::testing::Test {
    std::unique_ptr<Device> owner = CreateNullDevice(1280, 720);
    NullDevice& dev = static_cast<NullDevice&>(*owner);
};

struct Vertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

} // namespace

TEST(NullDeviceCreate, RejectsBadSizes) {
    EXPECT_EQ(CreateNullDevice(0, 720), nullptr);
    EXPECT_EQ(CreateNullDevice(1280, 100000), nullptr);
    auto d = CreateNullDevice(1280, 720);
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->IsNull());
    EXPECT_EQ(d->PresentParameters().BackBufferWidth, 1280u);
    EXPECT_EQ(d->PresentParameters().BackBufferHeight, 720u);
    EXPECT_EQ(d->PresentParameters().AutoDepthStencilFormat, D3DFMT_D24S8);
}

TEST_F(NullFixture, KeepsStatesTransformsLightsAndMaterial) {
    EXPECT_EQ(dev.GetRenderState(D3DRS_CULLMODE), D3DCULL_CCW); // Direct3D's initial values
    EXPECT_EQ(dev.GetRenderState(D3DRS_LIGHTING), DWORD(TRUE));
    dev.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev.SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
    EXPECT_EQ(dev.GetRenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    dev.SetRenderState(static_cast<D3DRENDERSTATETYPE>(5000), 1); // out of range: ignored
    EXPECT_EQ(dev.GetRenderState(static_cast<D3DRENDERSTATETYPE>(5000)), 0u);

    D3DXMATRIX world, back;
    D3DXMatrixTranslation(&world, 1, 2, 3);
    dev.SetTransform(D3DTS_WORLD, &world);
    dev.GetTransform(D3DTS_WORLD, &back);
    EXPECT_EQ(back, world);

    D3DLIGHT9 light;
    light.Direction = {0.5f, -1, 0.3f};
    dev.SetLight(0, &light);
    dev.LightEnable(0, TRUE);
    D3DLIGHT9 lightBack;
    dev.GetLight(0, &lightBack);
    EXPECT_EQ(lightBack.Direction, light.Direction);
    EXPECT_TRUE(dev.LightEnabled(0));
    dev.SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, 0xBF800000u);
    EXPECT_EQ(StateAsFloat(dev.State().samplerStates[D3DSAMP_MIPMAPLODBIAS]), -1.0f);
}

TEST_F(NullFixture, TexturesLockFillAndReadBack) {
    auto tex = dev.CreateTexture(4, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_TRUE(tex);
    EXPECT_EQ(tex->Width(), 4u);
    EXPECT_EQ(tex->LevelCount(), 3u); // 4x2, 2x1, 1x1
    LockedRect lr;
    ASSERT_TRUE(tex->LockRect(&lr));
    EXPECT_EQ(lr.Pitch, 16);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            reinterpret_cast<std::uint32_t*>(static_cast<char*>(lr.pBits) + y * lr.Pitch)[x] =
                0xFF000000u | (y << 8) | x;
    tex->UnlockRect();
    std::vector<float> rgba;
    ASSERT_TRUE(dev.ReadSurface(*tex->GetSurfaceLevel(0), rgba));
    ASSERT_EQ(rgba.size(), 32u);
    EXPECT_FLOAT_EQ(rgba[(1 * 4 + 3) * 4 + 2], 3 / 255.0f); // blue of (3, 1)
    EXPECT_FLOAT_EQ(rgba[(1 * 4 + 3) * 4 + 1], 1 / 255.0f);

    EXPECT_EQ(tex->GetSurfaceLevel(0).get(), tex->GetSurfaceLevel(0).get());
    EXPECT_EQ(tex->GetSurfaceLevel(0)->OwnerTexture(), tex.get());
    EXPECT_EQ(tex->GetSurfaceLevel(1), nullptr);
}

TEST_F(NullFixture, TextureCreationRefusesWhatItCannotHold) {
    EXPECT_EQ(dev.CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
    EXPECT_EQ(dev.CreateTexture(4, 100000, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
    EXPECT_EQ(dev.CreateTexture(4, 4, 1, 0, D3DFMT_D24S8, D3DPOOL_MANAGED), nullptr);
    EXPECT_EQ(dev.CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
    auto target = dev.CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT);
    ASSERT_TRUE(target);
    LockedRect lr;
    EXPECT_FALSE(target->LockRect(&lr)); // render targets are not lockable
}

TEST_F(NullFixture, SurfaceOutlivesItsTextureHandle) {
    std::shared_ptr<Surface> surface;
    {
        auto tex = dev.CreateTexture(2, 2, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
        surface = tex->GetSurfaceLevel(0);
    }
    EXPECT_EQ(surface->Width(), 2u);
    EXPECT_TRUE(surface->OwnerTexture()->IsRenderTarget());
}

TEST_F(NullFixture, RenderTargetsBindClearAndKeepTheirSize) {
    auto backBuffer = dev.GetRenderTarget(0);
    ASSERT_TRUE(backBuffer);
    EXPECT_EQ(backBuffer->Width(), 1280u);
    auto glow = dev.CreateTexture(1280, 720, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT);
    auto plain = dev.CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);

    EXPECT_FALSE(dev.SetRenderTarget(0, nullptr));
    EXPECT_FALSE(dev.SetRenderTarget(0, plain->GetSurfaceLevel(0))); // not a render target
    EXPECT_FALSE(dev.SetRenderTarget(0, dev.GetDepthStencilSurface()));
    EXPECT_FALSE(dev.SetRenderTarget(4, glow->GetSurfaceLevel(0)));

    ASSERT_TRUE(dev.SetRenderTarget(0, glow->GetSurfaceLevel(0)));
    dev.Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_TRUE(dev.SetRenderTarget(0, backBuffer));
    dev.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    ASSERT_TRUE(dev.SetRenderTarget(1, glow->GetSurfaceLevel(0)));
    EXPECT_EQ(dev.GetRenderTarget(1)->Format(), D3DFMT_A16B16G16R16F);
    EXPECT_TRUE(dev.SetRenderTarget(1, nullptr));
    EXPECT_EQ(dev.GetRenderTarget(1), nullptr);

    std::vector<float> rgba;
    ASSERT_TRUE(dev.ReadSurface(*glow->GetSurfaceLevel(0), rgba));
    ASSERT_EQ(rgba.size(), 1280u * 720u * 4u);
    EXPECT_EQ(rgba[3], 1.0f);
    EXPECT_EQ(rgba[0], 0.0f);
    std::vector<std::uint32_t> pixels;
    std::uint32_t w = 0, h = 0;
    ASSERT_TRUE(dev.ReadBackBuffer(pixels, w, h));
    EXPECT_EQ(w, 1280u);
    EXPECT_EQ(h, 720u);
    EXPECT_EQ(pixels[719 * 1280 + 1279], 0xFF0000FFu);
}

TEST_F(NullFixture, DrawsAreCountedAndLogged) {
    auto tex = dev.CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    Vertex quad[4] = {};
    dev.SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    dev.SetTexture(0, tex.get());
    dev.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex));
    dev.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, nullptr, sizeof(Vertex)); // refused
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    dev.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, quad, sizeof(Vertex));
    EXPECT_EQ(dev.Counters().draws, 2u);
    EXPECT_EQ(dev.Counters().primitives, 4u);
    EXPECT_EQ(dev.rejectedDraws, 1u);
    ASSERT_EQ(dev.drawLog.size(), 2u);
    EXPECT_EQ(dev.drawLog[0].type, D3DPT_TRIANGLEFAN);
    EXPECT_EQ(dev.drawLog[0].fvf, 0x142u);
    EXPECT_EQ(dev.drawLog[0].texture0, tex.get());
    EXPECT_EQ(dev.drawLog[0].renderTargets[0], dev.GetRenderTarget(0).get());
    EXPECT_EQ(dev.drawLog[0].effect, nullptr);
    EXPECT_TRUE(dev.drawLog[1].indexed);
    dev.Present();
    EXPECT_EQ(dev.Counters().frames, 1u);
    dev.ClearLogs();
    EXPECT_TRUE(dev.drawLog.empty());
}

TEST_F(NullFixture, StaticGeometryRangesAreChecked) {
    auto vb = dev.CreateVertexBuffer(4 * 24);
    auto ib = dev.CreateIndexBuffer(6 * 2);
    ASSERT_TRUE(vb && ib);
    EXPECT_EQ(dev.CreateVertexBuffer(0), nullptr);
    dev.SetFVF(0x142);
    dev.SetStreamSource(vb.get(), 24);
    dev.SetIndices(ib.get());
    dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2); // indices past the buffer
    dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2); // vertices past the buffer
    EXPECT_EQ(dev.Counters().draws, 1u);
    EXPECT_EQ(dev.rejectedDraws, 2u);
    vb.reset(); // still bound: the device keeps it alive
    dev.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    EXPECT_EQ(dev.Counters().draws, 2u);
}

TEST_F(NullFixture, LogWindowKeepsRecentEntries) {
    Vertex quad[4] = {};
    for (std::size_t i = 0; i < NullDevice::kLogLimit + 10; ++i) dev.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, 24);
    EXPECT_LE(dev.drawLog.size(), NullDevice::kLogLimit);
    EXPECT_GT(dev.drawLog.size(), NullDevice::kLogLimit / 2);
    EXPECT_EQ(dev.Counters().draws, NullDevice::kLogLimit + 10);
}

TEST_F(NullFixture, SpritesLogPositionAndCountTextureRuns) {
    auto a = dev.CreateTexture(100, 50, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    auto b = dev.CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    auto sprite = dev.CreateSprite();
    sprite->Draw(a.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF); // outside Begin: refused
    sprite->Begin(D3DXSPRITE_ALPHABLEND);
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, 10, 20, 0);
    sprite->SetTransform(&t);
    D3DXVECTOR3 center(5, 5, 0), position(100, 0, 0);
    RECT src{10, 0, 30, 20};
    sprite->Draw(a.get(), &src, &center, &position, 0x80FF0000);
    sprite->Draw(a.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
    sprite->Draw(b.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
    sprite->End();
    ASSERT_EQ(dev.spriteLog.size(), 3u);
    EXPECT_FLOAT_EQ(dev.spriteLog[0].x, 105);
    EXPECT_FLOAT_EQ(dev.spriteLog[0].y, 15);
    EXPECT_EQ(dev.spriteLog[0].source, src);
    EXPECT_EQ(dev.spriteLog[0].color, 0x80FF0000u);
    EXPECT_EQ(dev.spriteLog[0].beginFlags, D3DXSPRITE_ALPHABLEND);
    EXPECT_EQ(dev.spriteLog[1].source, (RECT{0, 0, 100, 50}));
    EXPECT_EQ(dev.Counters().draws, 2u); // one per run of the same texture
    EXPECT_EQ(dev.Counters().primitives, 6u);
    EXPECT_EQ(dev.rejectedDraws, 1u);
}

TEST_F(NullFixture, FontMeasuresAndLogsText) {
    D3DXFONT_DESCA desc;
    desc.Height = 12;
    auto font = dev.CreateFont(desc);
    D3DXFONT_DESCA back;
    font->GetDescA(&back);
    EXPECT_EQ(back.Height, 12);
    RECT r{};
    int h = font->DrawTextA(nullptr, "FPS=60", -1, &r, DT_CALCRECT, 0xFFFFFFFF);
    EXPECT_GT(h, 0);
    EXPECT_EQ(r.bottom, h);
    EXPECT_GT(r.right, 12);
    RECT wide{};
    font->DrawTextA(nullptr, "FPS=60FPS=60", -1, &wide, DT_CALCRECT, 0xFFFFFFFF);
    EXPECT_EQ(wide.right, 2 * r.right);
    RECT jp{};
    font->DrawTextA(nullptr, "オルレンダ", -1, &jp, DT_CALCRECT, 0xFFFFFFFF);
    EXPECT_GT(jp.right, 5 * 6);
    RECT part{};
    font->DrawTextA(nullptr, "FPS=60", 3, &part, DT_CALCRECT, 0xFFFFFFFF);
    EXPECT_LT(part.right, r.right);
    EXPECT_TRUE(dev.textLog.empty());
    font->DrawTextA(nullptr, "FPS=60", -1, &r, 0, 0xFFFFFFFF);
    ASSERT_EQ(dev.textLog.size(), 1u);
    EXPECT_EQ(dev.textLog[0].text, "FPS=60");
    EXPECT_EQ(font->DrawTextA(nullptr, nullptr, -1, &r, DT_CALCRECT, 0), 0);
}

TEST_F(NullFixture, EffectsParseStoreAndTagDraws) {
    std::string path = gputest::WriteTempFile("null_quad.fx", gputest::kQuadEffect);
    std::string errors;
    auto effect = dev.CreateEffectFromFile(path, &errors);
    ASSERT_TRUE(effect) << errors;
    EXPECT_EQ(effect->TechniqueNames(), (std::vector<std::string>{"Tech", "Plain"}));
    EXPECT_FALSE(effect->SetTechnique("Missing"));
    ASSERT_TRUE(effect->SetTechnique("Plain"));
    D3DXVECTOR4 colour(1, 0.5f, 0.25f, 1);
    effect->SetVector("MateDiffuse", &colour);
    effect->SetFloat("Unknown", 3.0f);
    unsigned passes = 0;
    ASSERT_TRUE(effect->Begin(&passes, 0));
    EXPECT_EQ(passes, 2u);
    EXPECT_FALSE(effect->BeginPass(2));
    ASSERT_TRUE(effect->BeginPass(1));
    effect->CommitChanges();
    Vertex quad[4] = {};
    dev.SetFVF(0x142);
    dev.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, 24);
    effect->EndPass();
    effect->End();
    dev.DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, 24);
    ASSERT_EQ(dev.drawLog.size(), 2u);
    EXPECT_EQ(dev.drawLog[0].effect, effect.get());
    EXPECT_EQ(dev.drawLog[0].technique, "Plain");
    EXPECT_EQ(dev.drawLog[0].pass, 1u);
    EXPECT_EQ(dev.drawLog[1].effect, nullptr);
    D3DXVECTOR4 back;
    ASSERT_TRUE(effect->GetValue("MateDiffuse", &back, sizeof back));
    EXPECT_EQ(back, colour);

    auto tex = dev.CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    effect->SetTexture("MateDiffuseTex", tex.get());
    Texture* bound = nullptr;
    ASSERT_TRUE(effect->GetValue("MateDiffuseTex", &bound, sizeof bound));
    EXPECT_EQ(bound, tex.get());
}

TEST_F(NullFixture, EffectErrorsComeBackWithFileAndLine) {
    std::string path =
        gputest::WriteTempFile("null_bad.fx", "void V() {}\n\ntechnique T { pass P { vertex = V; fragment = F; } }\n");
    std::string errors;
    EXPECT_EQ(dev.CreateEffectFromFile(path, &errors), nullptr);
    EXPECT_EQ(errors, path + ":3: function 'void F()' of pass 'T.P' is not defined");
    EXPECT_EQ(dev.CreateEffectFromFile("/no/such/file.fx", &errors), nullptr);
    EXPECT_NE(errors.find("/no/such/file.fx"), std::string::npos);
}

TEST(NullDeviceLifetime, ObjectsOutliveTheDevice) {
    auto dev = CreateNullDevice(64, 64);
    std::string path = gputest::WriteTempFile("null_life.fx", gputest::kQuadEffect);
    auto effect = dev->CreateEffectFromFile(path, nullptr);
    auto sprite = dev->CreateSprite();
    auto font = dev->CreateFont(D3DXFONT_DESCA{});
    auto tex = dev->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    unsigned passes;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    dev.reset();
    effect->EndPass();
    effect->End();
    sprite->Begin(0);
    sprite->Draw(tex.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
    sprite->End();
    RECT r{};
    font->DrawTextA(sprite.get(), "x", -1, &r, 0, 0xFFFFFFFF);
    SUCCEED();
}
