// Fixture of the effect tests: a Null device, a temporary data/Effect folder and a stand-in racer.
#pragma once

#include <gtest/gtest.h>

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "support/map_test_util.h"
#include "platform/image/png_image.h"
#include "player/chara_base.h"
#include "render/graphics_device.h"
#include "simplelib/resource_cache.h"
#include "sound/sound_manager.h"

namespace effecttest {

// The racer fields effects read, without flight or a model.
class TestOwner : public CharaBase {
public:
    void Init() override {}
    void Update() override {}
    void Draw() override {}
    void Release() override {}
};

// A 2 x 2 white PNG, enough for the texture registry.
inline std::string TinyPng() {
    platform::image::Image image;
    image.width = image.height = 2;
    image.pixels.assign(4, 0xFFFFFFFFu);
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(platform::image::EncodePng(image, &bytes, nullptr));
    return std::string(bytes.begin(), bytes.end());
}

// A tenth of a second of quiet 16-bit mono PCM at 44.1 kHz.
inline std::string ShortWave() {
    const std::uint32_t samples = 4410, dataBytes = samples * 2;
    std::string out;
    auto put = [&out](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    out += "RIFF";
    put(36 + dataBytes, 4);
    out += "WAVEfmt ";
    put(16, 4);
    put(1, 2);         // PCM
    put(1, 2);         // mono
    put(44100, 4);     // rate
    put(44100 * 2, 4); // bytes per second
    put(2, 2);         // block align
    put(16, 2);        // bits
    out += "data";
    put(dataBytes, 4);
    for (std::uint32_t i = 0; i < samples; ++i) put(static_cast<std::uint32_t>((i % 50) * 20), 2);
    return out;
}

class EffectTest : public maptest::FreshSingletons, public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(GraphicsDevice::Instance().device, nullptr);
        for (const char* stem : {"lightball", "magiccircle", "broomeffect", "pmcircle", "arrow", "cross", "trajectory"})
            maptest::WriteFile(std::string("data/Effect/") + stem + ".png", TinyPng());
        manager.LoadTextures();
        // Frustum planes far behind the origin: everything is inside.
        for (int i = 0; i < 4; ++i) {
            MapManager::Instance().planeNormals[i] = D3DXVECTOR3(0, 0, 1);
            MapManager::Instance().planePoints[i] = D3DXVECTOR3(0, 0, -1e6f);
        }
    }
    // A new effect of the kind, as the manager keeps it.
    BaseEffect* New(const char* kind) { return manager.Get(manager.Create(kind)); }
    // Updates until the effect retires; returns the number of updates it lived.
    int UpdatesUntilRetired(BaseEffect* effect, int limit = 100000) {
        for (int n = 1; n <= limit; ++n) {
            effect->Update();
            if (effect->dead) return n;
        }
        return -1;
    }

    maptest::TempGameDir dir;
    EffectManager& manager = EffectManager::Instance();
    TestOwner owner;
};

} // namespace effecttest
