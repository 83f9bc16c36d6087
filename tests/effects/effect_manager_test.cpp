// The effect base and manager: the kind table, colour packing and fades, retire/delete order, textures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <typeinfo>
#include <vector>

#include "effects/arrow.h"
#include "effects/effect_test_util.h"
#include "effects/light_ball.h"
#include "effects/map_light_ball.h"
#include "effects/next_pt_arrow.h"
#include "platform/window/message_box.h"
#include "render/graphics_quality.h"

namespace {

using effecttest::EffectTest;

// Records the order in which the manager updates it.
class Probe : public BaseEffect {
public:
    Probe(std::vector<int>* order, int probeId) : log(order), id(probeId) {}
    void Init() override {}
    void Update() override { log->push_back(id); }
    std::vector<int>* log;
    int id;
};

// Notes the second render target bound while it draws: the glow target, or none.
class GlowProbe : public BaseEffect {
public:
    void Init() override {}
    void Update() override {}
    void Draw() override { glowBound = GraphicsDevice::Instance().device->GetRenderTarget(1); }
    std::shared_ptr<gpu::Surface> glowBound;
};

TEST_F(EffectTest, CreateKnowsExactlyTheListedKeys) {
    const char* keys[] = {"lightball",   "magiccircle", "broomeffect", "trajectory",  "maplightball",
                          "nextptarrow", "pmcircle",    "arrow",       "starteffect", "cross"};
    for (const char* key : keys) {
        std::size_t before = manager.LiveCount();
        BaseEffect* effect = New(key);
        ASSERT_NE(effect, nullptr) << key;
        EXPECT_EQ(effect->name, key);
        EXPECT_EQ(manager.Live(manager.LiveCount() - 1), effect);
        // The arrow controller brings its three arrows along, ahead of itself.
        EXPECT_EQ(manager.LiveCount(), before + (std::string(key) == "nextptarrow" ? 4u : 1u));
    }
    std::size_t count = manager.LiveCount();
    EXPECT_FALSE(manager.Create("Arrow"));
    EXPECT_FALSE(manager.Create("arrow "));
    EXPECT_FALSE(manager.Create(""));
    EXPECT_EQ(manager.LiveCount(), count);
}

TEST_F(EffectTest, NewEffectHasTheConstructedDefaults) {
    BaseEffect* e = New("arrow");
    EXPECT_EQ(typeid(*e), typeid(Arrow));
    EXPECT_EQ(e->vertices[0].color, 0xFFFFFFE1u);
    EXPECT_EQ(e->vertices[2].u, 1.0f);
    EXPECT_EQ(e->vertices[2].v, 1.0f);
    EXPECT_EQ(e->vertices[3].u, 0.0f);
    EXPECT_EQ(e->vertices[3].v, 1.0f);
    EXPECT_EQ(e->halfWidth, 10.0f);
    EXPECT_TRUE(e->visible);
    EXPECT_FALSE(e->dead || e->phase || e->fading);
    EXPECT_EQ(e->texture, manager.FindTexture("arrow"));
    EXPECT_NE(e->texture, nullptr);
    EXPECT_EQ(manager.FindTexture("nothing"), nullptr);
}

TEST_F(EffectTest, QuadsLieFlatOrStandUpright) {
    BaseEffect* e = New("arrow");
    e->SetSize(2, 3);
    EXPECT_EQ(e->vertices[0].x, -2.0f);
    EXPECT_EQ(e->vertices[0].z, 3.0f);
    EXPECT_EQ(e->vertices[2].z, -3.0f);
    EXPECT_EQ(e->vertices[2].y, 0.0f);
    e->SetBillboardSize(4, 5);
    EXPECT_EQ(e->vertices[1].x, 4.0f);
    EXPECT_EQ(e->vertices[1].y, 5.0f);
    EXPECT_EQ(e->vertices[3].y, -5.0f);
    EXPECT_EQ(e->vertices[3].z, 0.0f);
    EXPECT_EQ(e->halfHeight, 5.0f);
    e->SetPosition(MatrixRotationY(1.0f) * MatrixTranslation(7, 8, 9));
    EXPECT_EQ(e->position, MatrixTranslation(7, 8, 9));
}

TEST_F(EffectTest, SetColorClampsEachChannelBeforePacking) {
    BaseEffect* e = New("arrow");
    e->SetColor(255, 300, 0, 0);
    EXPECT_EQ(e->red, 300);
    EXPECT_EQ(e->vertices[0].color, 0xFFFF0000u);
    e->SetAlpha(128);
    for (const EffectVertex& v : e->vertices) EXPECT_EQ(v.color, 0x80FF0000u);
    // a cross fading in passes 256..259 on its way to 255: still opaque, never nearly transparent
    for (std::int32_t a = 256; a <= 259; ++a) {
        e->SetAlpha(a);
        EXPECT_EQ(e->vertices[3].color >> 24, 0xFFu) << a;
    }
    e->SetColor(-100, -1, 256, 7);
    EXPECT_EQ(e->vertices[0].color, 0x0000FF07u);
}

TEST_F(EffectTest, ColourFadeEndsOneCallAfterLandingExactly) {
    BaseEffect* e = New("arrow");
    e->SetColor(0, 10, 20, 30);
    e->StartColorFade(150, 10, 20, 30, 10);
    for (int call = 1; call <= 15; ++call) {
        e->StepColorFade();
        ASSERT_TRUE(e->fading) << call;
    }
    EXPECT_EQ(e->alpha, 150);
    e->StepColorFade();
    EXPECT_FALSE(e->fading);
    EXPECT_EQ(e->vertices[1].color, D3DCOLOR_ARGB(150, 10, 20, 30));

    // Overshooting counts as arrival in the same call.
    e->SetColor(0, 10, 20, 30);
    e->StartColorFade(145, 10, 20, 30, 10);
    for (int call = 1; call <= 14; ++call) e->StepColorFade();
    EXPECT_TRUE(e->fading);
    e->StepColorFade();
    EXPECT_EQ(e->alpha, 145);
    EXPECT_FALSE(e->fading);
}

TEST_F(EffectTest, RetiredEffectIsDeletedByTheNextWalkInListOrder) {
    std::vector<int> log;
    for (int id = 0; id < 3; ++id) manager.Add(std::make_unique<Probe>(&log, id));
    BaseEffect* middle = manager.Live(1);
    EXPECT_EQ(manager.UpdateAll(), 3u);
    middle->Retire();
    EXPECT_FALSE(middle->visible);
    log.clear();
    EXPECT_EQ(manager.UpdateAll(), 2u);
    EXPECT_EQ(log, (std::vector<int>{0, 2}));
    EXPECT_EQ(manager.LiveCount(), 2u);
}

TEST_F(EffectTest, EffectCreatedDuringTheWalkIsUpdatedInTheSamePass) {
    BaseEffect* emitter = New("maplightball");
    emitter->owner = &owner;
    EXPECT_EQ(manager.UpdateAll(), 2u);
    ASSERT_EQ(manager.LiveCount(), 2u);
    BaseEffect* ball = manager.Live(1);
    EXPECT_EQ(typeid(*ball), typeid(LightBall));
    EXPECT_EQ(ball->alpha, 5); // spawned at alpha 0 and already stepped once
}

// A holder keeps a handle: once its effect retires, is deleted or cleared, or its slot serves a
// newer effect, the handle finds nothing.
TEST_F(EffectTest, AHandleFindsItsEffectOnlyWhileItLives) {
    const EffectHandle first = manager.Create("cross");
    BaseEffect* cross = manager.Get(first);
    ASSERT_NE(cross, nullptr);
    cross->Retire();
    EXPECT_EQ(manager.Get(first), nullptr) << "retired, not yet deleted";
    manager.UpdateAll();
    EXPECT_EQ(manager.Get(first), nullptr);
    const EffectHandle second = manager.Create("cross");
    EXPECT_EQ(second.index, first.index) << "the freed slot serves again";
    EXPECT_EQ(manager.Get(first), nullptr);
    EXPECT_NE(manager.Get(second), nullptr);
    manager.Clear();
    EXPECT_EQ(manager.Get(second), nullptr);
    EXPECT_EQ(manager.Get(EffectHandle{}), nullptr);
    EXPECT_EQ(manager.Get(EffectHandle{99, 1}), nullptr);
}

TEST_F(EffectTest, ClearDeletesEverythingAndDropsTheTextures) {
    New("nextptarrow");
    New("starteffect");
    manager.Live(0)->Retire();
    manager.Clear();
    EXPECT_EQ(manager.LiveCount(), 0u);
    EXPECT_TRUE(manager.registry.empty());
    EXPECT_EQ(manager.FindTexture("arrow"), nullptr);
    EXPECT_EQ(manager.UpdateAll(), 0u);
}

TEST_F(EffectTest, LaterFileWithTheSameStemWins) {
    maptest::WriteFile("data/Effect/arrow.bmp", effecttest::TinyPng());
    maptest::WriteFile("data/Effect/sub.png/inner.png", effecttest::TinyPng()); // a folder is skipped
    manager.Clear();
    ResourceCache::ResetInstance();
    manager.LoadTextures();
    // Names are listed in byte order, so arrow.png comes after arrow.bmp.
    EXPECT_EQ(manager.registry.at("arrow").stem, "arrow");
    EXPECT_EQ(manager.FindTexture("arrow"), ResourceCache::Instance().GetTexture("data/Effect/arrow.png").get());
    EXPECT_EQ(manager.registry.count("sub"), 0u);
    EXPECT_EQ(manager.registry.count("inner"), 0u);
}

TEST_F(EffectTest, MissingEffectFolderShowsTheErrorBoxAndGoesOn) {
    std::vector<std::string> boxes;
    platform::message_box::SetMode(platform::message_box::Mode::Automatic);
    platform::message_box::SetObserver(
        [&](const std::string& caption, const std::string& text, int) { boxes.push_back(caption + "|" + text); });
    std::filesystem::remove_all("data/Effect");
    manager.Clear();
    manager.LoadTextures();
    platform::message_box::SetObserver(nullptr);
    EXPECT_EQ(boxes, (std::vector<std::string>{"msg|Effect:Error"}));
    EXPECT_TRUE(manager.registry.empty());
    BaseEffect* e = New("cross");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->texture, nullptr);
    manager.UpdateAll();
    manager.DrawAll(); // lives and updates, draws nothing
}

TEST_F(EffectTest, DrawAllLeavesTheDeviceStatesAsFound) {
    New("magiccircle")->SetBillboardSize(1, 1);
    manager.UpdateAll();
    gpu::Device& device = *GraphicsDevice::Instance().device;
    manager.DrawAll();
    EXPECT_EQ(device.GetRenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(device.GetRenderState(D3DRS_SRCBLEND), D3DBLEND_SRCALPHA);
    EXPECT_EQ(device.GetRenderState(D3DRS_DESTBLEND), D3DBLEND_INVSRCALPHA);
    EXPECT_EQ(device.GetRenderState(D3DRS_CULLMODE), D3DCULL_CCW);
    EXPECT_EQ(device.GetRenderTarget(0), GraphicsDevice::Instance().backBuffer);
    EXPECT_EQ(device.GetRenderTarget(1), nullptr);
}

TEST_F(EffectTest, GraphicsLevelsPickTheGlowTargetOrNone) {
    auto probe = std::make_unique<GlowProbe>();
    GlowProbe* raw = probe.get();
    manager.Add(std::move(probe));
    struct Case {
        GraphicsQuality quality;
        D3DFORMAT format;
        bool glows;
    };
    for (Case c :
         {Case{GraphicsQuality::Fast, D3DFMT_A8R8G8B8, true}, Case{GraphicsQuality::Low, D3DFMT_UNKNOWN, false},
          Case{GraphicsQuality::Full, D3DFMT_A8R8G8B8, true}}) {
        GraphicsDevice::Instance().quality = c.quality;
        manager.DrawAll();
        EXPECT_EQ(raw->glowBound != nullptr, c.glows) << GraphicsQualityName(c.quality);
        if (c.glows) {
            EXPECT_EQ(manager.glowTarget.info.Format, c.format) << GraphicsQualityName(c.quality);
            EXPECT_EQ(raw->glowBound, manager.glowTarget.surface);
        }
    }
}

TEST_F(EffectTest, APictureThrownAwayDrawsNoEffect) {
    auto probe = std::make_unique<GlowProbe>();
    GlowProbe* raw = probe.get();
    manager.Add(std::move(probe));
    gpu::Device& device = *GraphicsDevice::Instance().device;
    device.DiscardDraws(true);
    manager.DrawAll();
    device.DiscardDraws(false);
    EXPECT_EQ(raw->glowBound, nullptr); // never drawn, so the glow record is the last shown picture's
    manager.DrawAll();
    EXPECT_EQ(raw->glowBound, manager.glowTarget.surface);
}

// A person's arrows are drawn in their own view alone; one screen (no view seat) shows them all.
TEST_F(EffectTest, AnArrowShowsOnlyInItsSeatsView) {
    auto* arrow = dynamic_cast<NextPtArrow*>(New("nextptarrow"));
    ASSERT_NE(arrow, nullptr);
    arrow->ShowOnlyTo(1);
    for (int i : {NextPtArrow::kHead, NextPtArrow::kSmall, NextPtArrow::kSecond})
        EXPECT_EQ(arrow->ArrowAt(i)->viewSeat, 1);
    auto probe = std::make_unique<GlowProbe>();
    GlowProbe* raw = probe.get();
    raw->viewSeat = 1;
    manager.Add(std::move(probe));
    manager.viewSeat = 0;
    manager.DrawAll();
    EXPECT_EQ(raw->glowBound, nullptr);
    manager.viewSeat = 1;
    manager.DrawAll();
    EXPECT_NE(raw->glowBound, nullptr);
    raw->glowBound = nullptr;
    manager.viewSeat.reset();
    manager.DrawAll();
    EXPECT_NE(raw->glowBound, nullptr);
}

} // namespace
