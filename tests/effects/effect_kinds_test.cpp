// The effect kinds' lifetimes, motion and countdown, counted in frames; the checkpoint circle's fade.
#include <gtest/gtest.h>

#include <cmath>

#include "effects/broom_effect.h"
#include "effects/cross.h"
#include "effects/effect_test_util.h"
#include "effects/light_ball.h"
#include "effects/magic_circle.h"
#include "effects/next_pt_arrow.h"
#include "effects/player_m_circle.h"
#include "effects/trajectory.h"
#include "map/check_point.h"
#include "render/shader_manager.h"
#include "support/content_files.h"

namespace {

using effecttest::EffectTest;

TEST_F(EffectTest, MagicCircleTurnsOnceIn361Frames) {
    auto* circle = static_cast<MagicCircle*>(New("magiccircle"));
    for (int frame = 1; frame <= 360; ++frame) circle->Update();
    EXPECT_EQ(circle->angle, 360.0f);
    circle->Update();
    EXPECT_EQ(circle->angle, 0.0f);
    circle->SetPosition(MatrixTranslation(1, 2, 3));
    circle->Update();
    EXPECT_EQ(MatrixPosition(circle->world), D3DXVECTOR3(1, 2, 3));
}

// A checkpoint's circle is as wide as its ring: it fades as the camera comes within its size and is
// not drawn once the camera is about to fly through it.
TEST_F(EffectTest, MagicCircleFadesAsTheCameraComesWithinItsSize) {
    maptest::WriteFile("Shader/Sample.fx",
                       content_test::ReadText(content_test::SourceDir() + "/content/Shader/Sample.fx"));
    ModelShader& shader = ShaderManager::Instance().mainShader;
    shader.Load();
    ASSERT_TRUE(shader.effect);
    shader.SetMatrix("mV", MatrixIdentity()); // the camera at the origin, looking along +Z
    auto* circle = static_cast<MagicCircle*>(New("magiccircle"));
    circle->SetBillboardSize(24, 24);
    circle->SetColor(255, 255, 0, 0);
    auto drawnAlpha = [&](float depth) {
        circle->SetPosition(MatrixTranslation(0, 0, depth));
        circle->Update();
        const D3DXVECTOR4 unset(0, 0, 0, -1);
        shader.SetVector("MateDiffuse", unset);
        circle->Draw();
        shader.FlushQuads(); // the quad waits in the batch until then
        D3DXVECTOR4 drawn;
        shader.effect->GetValue("MateDiffuse", &drawn, sizeof drawn);
        return drawn.w;
    };
    EXPECT_EQ(drawnAlpha(100), 1.0f);
    EXPECT_GT(drawnAlpha(40), 0.5f);
    EXPECT_LT(drawnAlpha(24), 0.5f) << "the ring fills the screen from here on";
    EXPECT_EQ(drawnAlpha(12), -1.0f) << "drawn with the camera about to fly through";
}

TEST_F(EffectTest, PlayerCircleRidesHalfAUnitAboveItsOwner) {
    auto* circle = static_cast<PlayerMCircle*>(New("pmcircle"));
    circle->owner = &owner;
    owner.racer.positionMatrix = MatrixTranslation(4, 5, 6);
    circle->Update();
    D3DXVECTOR3 at = MatrixPosition(circle->world);
    EXPECT_NEAR(at.y, 5.5f, 1e-5f);
    D3DXMATRIX before = circle->rotation;
    circle->Update(); // spin 0 keeps the turn
    EXPECT_EQ(circle->rotation, before);
    circle->params[BaseEffect::kSpin] = 90.0f;
    circle->Update();
    D3DXVECTOR3 x(1, 0, 0), turned;
    D3DXVec3TransformNormal(&turned, &x, &circle->rotation);
    EXPECT_NEAR(turned.z, -1.0f, 1e-4f);
}

TEST_F(EffectTest, LightBallLives179FramesAndShrinksTo0975Pow128) {
    BaseEffect* ball = New("lightball");
    ball->SetBillboardSize(0.5f, 0.5f);
    ball->SetColor(0, 150, 220, 230);
    for (int n = 1; n <= 51; ++n) ball->Update();
    EXPECT_EQ(ball->alpha, 255);
    EXPECT_TRUE(ball->phase);
    EXPECT_EQ(UpdatesUntilRetired(ball), 128);
    EXPECT_FALSE(ball->visible);
    EXPECT_NEAR(ball->halfWidth, 0.5f * std::pow(0.975f, 128.0f), 1e-5f);
    EXPECT_NEAR(ball->params[BaseEffect::kRise], 8.95f, 1e-3f);
    manager.UpdateAll();
    EXPECT_EQ(manager.LiveCount(), 0u);
}

TEST_F(EffectTest, EmitterScattersBallsAroundAStillOwner) {
    BaseEffect* emitter = New("maplightball");
    emitter->owner = &owner;
    owner.racer.orientation = MatrixTranslation(100, 0, 0);
    EffectManager::Instance().SeedRandom(7);
    for (int frame = 0; frame < 300; ++frame) emitter->Update();
    for (std::size_t i = 0; i < manager.LiveCount(); ++i) {
        const BaseEffect* effect = manager.Live(i);
        if (effect == emitter) continue;
        D3DXVECTOR3 p = MatrixPosition(effect->position);
        EXPECT_GE(p.x, 50.0f);
        EXPECT_LE(p.x, 149.0f);
        EXPECT_GE(p.y, -25.0f);
        EXPECT_LE(p.y, 24.0f);
        EXPECT_GE(p.z, 0.0f);
        EXPECT_LE(p.z, 149.0f);
        EXPECT_GE(effect->red, 100);
        EXPECT_LE(effect->red, 199);
        EXPECT_GE(effect->blue, 200);
        EXPECT_LE(effect->halfWidth, 0.675f + 1e-6f);
    }
    EXPECT_EQ(manager.LiveCount(), 301u);
}

TEST_F(EffectTest, SparkFadesOutOn52ndUpdate) {
    BaseEffect* spark = New("broomeffect");
    spark->owner = &owner;
    spark->SetColor(255, 255, 255, 255);
    spark->SetSpeed(0.5f);
    D3DXVECTOR3 v = spark->Param3(BaseEffect::kVelocity);
    EXPECT_NEAR(D3DXVec3Length(&v), 0.5f, 1e-5f);
    EXPECT_LT(v.z, 0.0f);
    owner.racer.broomTail = D3DXVECTOR3(1, 2, 3);
    spark->Update();
    // At standstill the displacement from the tail stays the first velocity.
    owner.racer.broomTail = D3DXVECTOR3(10, 2, 3);
    spark->Update();
    EXPECT_EQ(MatrixPosition(spark->position), owner.racer.broomTail + v);
    EXPECT_EQ(UpdatesUntilRetired(spark), 50);
}

TEST_F(EffectTest, FastOwnersSparksSpeedUp) {
    BaseEffect* spark = New("broomeffect");
    spark->owner = &owner;
    owner.racer.speed = owner.racer.maxSpeed;
    spark->SetSpeed(1.0f);
    for (int n = 0; n < 10; ++n) spark->Update();
    D3DXVECTOR3 v = spark->Param3(BaseEffect::kVelocity);
    EXPECT_NEAR(D3DXVec3Length(&v), std::pow(1.1f, 10.0f), 1e-3f);
}

TEST_F(EffectTest, CrossLivesBetween288And307FramesAndHidesOutsideTheView) {
    for (int a = 0; a < 100; a += 33) {
        BaseEffect* cross = New("cross");
        cross->SetBillboardSize(1, 1);
        cross->SetColor(a, 155, 155, 155);
        int lived = UpdatesUntilRetired(cross);
        EXPECT_GE(lived, 288);
        EXPECT_LE(lived, 307);
    }
    BaseEffect* cross = New("cross");
    cross->SetBillboardSize(1, 1);
    cross->SetPosition(MatrixTranslation(0, 0, -10));
    MapManager::Instance().planeNormals[2] = D3DXVECTOR3(0, 0, 1);
    MapManager::Instance().planePoints[2] = D3DXVECTOR3(0, 0, 0);
    cross->Update();
    EXPECT_FALSE(cross->visible);
    EXPECT_EQ(cross->alpha, 5);                         // keeps fading in while unseen
    cross->SetPosition(MatrixTranslation(0, 0, -0.9f)); // within its half width of the plane
    cross->Update();
    EXPECT_TRUE(cross->visible);
    EXPECT_EQ(cross->alpha, 10);
}

TEST_F(EffectTest, TrailEmitterSpawnsEveryThirdFrameAtSpeed) {
    auto* trail = static_cast<Trajectory*>(New("trajectory"));
    trail->owner = &owner;
    trail->SetColor(0, 255, 255, 255);
    trail->SetColor(100, 0, 100, 255);
    EXPECT_EQ(trail->alpha, 0);
    EXPECT_EQ(trail->red, -100);
    EXPECT_EQ(trail->blue, 155);
    owner.racer.speed = 0.5f;
    trail->spawnTimer = 1;
    for (int n = 0; n < 10; ++n) trail->Update();
    EXPECT_EQ(trail->spawnTimer, 1);
    EXPECT_EQ(manager.LiveCount(), 1u);
    owner.racer.speed = 1.0f;
    trail->Update(); // 1 -> 2
    trail->Update(); // spawns
    ASSERT_EQ(manager.LiveCount(), 2u);
    BaseEffect* cross = manager.Live(manager.LiveCount() - 1);
    EXPECT_GE(cross->red, -100);
    EXPECT_LE(cross->red, -1);
    EXPECT_GE(cross->alpha, 0);
    EXPECT_LE(cross->alpha, 99);
    for (int n = 0; n < 30; ++n) trail->Update();
    EXPECT_EQ(manager.LiveCount(), 12u);
}

class ArrowTest : public EffectTest {
protected:
    void SetUp() override {
        EffectTest::SetUp();
        maptest::WriteFile("data/MapObject/gate.x", maptest::Tetrahedron(3));
        maptest::MapBytes file;
        file.Int32(1).Def("CheckPoint", "gate.x").Str("enddefine");
        file.Object("CheckPoint", maptest::At(0, 0, 100), 0).Object("CheckPoint", maptest::At(100, 0, 0), 1);
        file.Object("CheckPoint", maptest::At(0, 0, -100), 2).Str("end");
        maptest::WriteFile("data/Map/map2.map", file.bytes);
        MapManager::Instance().LoadMap();
        MapManager::Instance().LoadModels(GraphicsDevice::Instance().device.get());
        CourseManager::Instance().CollectCheckPoints();
        controller = static_cast<NextPtArrow*>(New("nextptarrow"));
        controller->SetSize(0.7f, 1.0f);
        controller->SetColor(255, 0, 150, 255);
        controller->SetPosition(MatrixTranslation(0, 0, 2.5f));
        controller->owner = &owner;
    }
    static float Yaw(const BaseEffect* arrow) {
        D3DXVECTOR3 z(0, 0, 1), d;
        D3DXVec3TransformNormal(&d, &z, &arrow->rotation);
        return std::atan2(d.x, d.z);
    }
    NextPtArrow* controller = nullptr;
};

TEST_F(ArrowTest, ArrowsPointAtTheNextTwoCheckPoints) {
    EXPECT_EQ(controller->ArrowAt(NextPtArrow::kSmall)->halfWidth, 0.35f);
    EXPECT_EQ(MatrixPosition(controller->ArrowAt(NextPtArrow::kSecond)->position), D3DXVECTOR3(0, 0, 3.5f));
    manager.UpdateAll();
    EXPECT_NEAR(Yaw(controller->ArrowAt(NextPtArrow::kHead)), 0.0f, 1e-5f);
    EXPECT_NEAR(Yaw(controller->ArrowAt(NextPtArrow::kSmall)), D3DX_PI / 2, 1e-5f);
    owner.racer.nextCheckPoint = 2;
    controller->cpIndex = 2;
    manager.UpdateAll();
    EXPECT_NEAR(std::fabs(Yaw(controller->ArrowAt(NextPtArrow::kHead))), D3DX_PI, 1e-5f); // straight behind
    EXPECT_NEAR(Yaw(controller->ArrowAt(NextPtArrow::kSmall)), 0.0f, 1e-5f);              // wraps to checkpoint 0
}

TEST_F(ArrowTest, SwitchFadesOutIn26FramesThenBackIn18) {
    manager.UpdateAll();
    owner.racer.nextCheckPoint = 1;
    BaseEffect* head = controller->ArrowAt(NextPtArrow::kHead);
    int frames = 0;
    do {
        manager.UpdateAll();
        ++frames;
        ASSERT_NEAR(Yaw(head), 0.0f, 1e-5f); // old direction while fading out
    } while (head->fading && frames < 100);
    EXPECT_EQ(frames, 26);
    EXPECT_EQ(head->alpha, 0);
    EXPECT_EQ(controller->cpIndex, 0);
    manager.UpdateAll(); // the switch ends: turn and start coming back
    EXPECT_EQ(controller->cpIndex, 1);
    EXPECT_NEAR(Yaw(head), D3DX_PI / 2, 1e-5f);
    frames = 1;
    while (head->fading && frames < 100) {
        manager.UpdateAll();
        ++frames;
    }
    EXPECT_EQ(frames, 18);
    EXPECT_EQ(head->alpha, 255);
    EXPECT_EQ(controller->ArrowAt(NextPtArrow::kSmall)->vertices[0].color, D3DCOLOR_ARGB(255, 0, 150, 255));
}

TEST_F(ArrowTest, RetiredControllerTakesItsArrowsAlong) {
    controller->Retire();
    manager.UpdateAll();
    manager.UpdateAll();
    EXPECT_EQ(manager.LiveCount(), 3u); // only the checkpoints' circles remain
}

} // namespace
