// A long race's worth of effects: counts settle and stay flat, nothing piles up over 10 000 frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "effects/effect_test_util.h"

namespace {

using effecttest::EffectTest;

TEST_F(EffectTest, TenThousandFramesKeepTheLiveCountFlat) {
    EffectManager::Instance().SeedRandom(1);
    effecttest::TestOwner racers[5];
    BaseEffect* arrow = New("nextptarrow");
    arrow->owner = &racers[0];
    BaseEffect* circle = New("pmcircle");
    circle->owner = &racers[0];
    circle->params[BaseEffect::kSpin] = 1.0f;
    New("maplightball")->owner = &racers[0];
    for (int i = 1; i < 5; ++i) {
        BaseEffect* trail = New("trajectory");
        trail->owner = &racers[i];
        trail->SetColor(100, 0, 100, 255);
    }
    auto* marker = New("starteffect");
    marker->Init();
    marker->fading = true;
    for (int i = 0; i < 12; ++i) {
        BaseEffect* gate = New("magiccircle");
        gate->SetBillboardSize(20, 20);
        gate->SetPosition(MatrixTranslation(i * 100.0f, 50, 0));
    }
    // The view looks along +Z from the origin: half the circle the racers fly is out of sight.
    MapManager::Instance().planeNormals[0] = D3DXVECTOR3(0, 0, 1);
    MapManager::Instance().planePoints[0] = D3DXVECTOR3(0, 0, 0);

    std::size_t lowest = SIZE_MAX, highest = 0, crossesSeen = 0, crossesHidden = 0;
    for (int frame = 1; frame <= 10000; ++frame) {
        for (int i = 0; i < 5; ++i) {
            float a = frame * 0.002f + i;
            racers[i].racer.speed = 2.0f;
            racers[i].racer.positionMatrix = MatrixTranslation(300 * std::cos(a), 50, 300 * std::sin(a));
            racers[i].racer.orientation = MatrixRotationY(-a) * racers[i].racer.positionMatrix;
            racers[i].racer.broomTail = MatrixPosition(racers[i].racer.positionMatrix);
            racers[i].racer.nextCheckPoint = (frame / 700) % 12;
        }
        BaseEffect* spark = New("broomeffect");
        spark->owner = &racers[0];
        spark->SetColor(255, 255, 255, 255);
        spark->SetSpeed(0.5f);
        manager.UpdateAll();
        manager.DrawAll();
        if (frame > 1000) {
            lowest = std::min(lowest, manager.LiveCount());
            highest = std::max(highest, manager.LiveCount());
        }
        if (frame % 2000 == 0) std::printf("frame %d: %zu live effects\n", frame, manager.LiveCount());
    }
    for (std::size_t i = 0; i < manager.LiveCount(); ++i)
        if (manager.Live(i)->name == "cross") (manager.Live(i)->visible ? crossesSeen : crossesHidden) += 1;
    std::printf("live effects after frame 1000: %zu..%zu; crosses seen %zu, hidden %zu\n", lowest, highest, crossesSeen,
                crossesHidden);
    // 179 balls, about 52 sparks, about 400 crosses, 21 long-lived effects.
    EXPECT_GT(lowest, 550u);
    EXPECT_LT(highest, 700u);
    EXPECT_LT(highest - lowest, 40u);
    EXPECT_GT(crossesHidden, 0u);
    EXPECT_GT(crossesSeen, 0u);
}

} // namespace
