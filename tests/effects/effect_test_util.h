// Fixture of the effect tests: a Null device, a temporary data/Effect folder and a stand-in racer.
#pragma once

#include <gtest/gtest.h>

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "map/map_test_util.h"
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

// A one-pixel PNG, enough for the texture registry.
inline std::string TinyPng() {
    static const unsigned char png[] = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00,
        0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xFF, 0xFF, 0x3F, 0x00, 0x05, 0xFE,
        0x02, 0xFE, 0xA7, 0x35, 0x81, 0x84, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60,
        0x82};
    return std::string(reinterpret_cast<const char*>(png), sizeof(png));
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
