// Shared set-up of the game-shell tests: the Null device with a sprite that records its draws,
// fresh singletons, released keys, automatic message boxes and the fixed clock.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <memory>
#include <string>
#include <vector>

#include "support/singletons.h"
#include "app/application.h"
#include "app/scene_manager.h"
#include "map/map_manager.h"
#include "platform/image/png_image.h"
#include "platform/window/clock.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "render/graphics_device.h"
#include "scenes/game.h"
#include "simplelib/resource_cache.h"
#include "sound/sound_manager.h"

// One sprite draw as the game issued it.
struct SpriteDraw {
    gpu::Texture* texture = nullptr;
    RECT source;
    D3DXMATRIX transform;
    D3DCOLOR colour = 0;
};

class RecordingSprite : public gpu::Sprite {
public:
    void Begin(DWORD) override { ++begins; }
    void SetTransform(const D3DXMATRIX* m) override { transform = *m; }
    void GetTransform(D3DXMATRIX* m) const override { *m = transform; }
    void Draw(gpu::Texture* texture, const RECT* source, const D3DXVECTOR3*, const D3DXVECTOR3*,
              D3DCOLOR colour) override {
        draws.push_back({texture, source ? *source : RECT{}, transform, colour});
    }
    void Flush() override {}
    void End() override { ++ends; }

    std::vector<SpriteDraw> draws;
    D3DXMATRIX transform = MatrixIdentity();
    int begins = 0, ends = 0;
};

// A scratch folder that is the working directory for the test's lifetime, so "data/..." paths
// resolve to files the test writes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        previous = std::filesystem::current_path();
        root = std::filesystem::temp_directory_path() / ("orlenda_" + name + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        std::filesystem::current_path(root);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }
    // Writes a PNG of one colour at a path relative to the scratch folder.
    void WritePng(const std::string& path, std::uint32_t width, std::uint32_t height, std::uint32_t argb) const {
        std::filesystem::create_directories((root / path).parent_path());
        platform::image::Image image;
        image.width = width;
        image.height = height;
        image.pixels.assign(std::size_t(width) * height, argb);
        std::string error;
        ASSERT_TRUE(platform::image::SavePng((root / path).string(), image, &error)) << error;
    }
    void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) const {
        std::filesystem::create_directories((root / path).parent_path());
        std::ofstream(root / path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // A short 16-bit mono 44.1 kHz WAV of silence that the sound manager can load.
    void WriteWav(const std::string& path) const {
        const std::uint32_t samples = 441, dataBytes = samples * 2;
        std::vector<std::uint8_t> bytes;
        auto text = [&](const char* s) {
            for (int i = 0; i < 4; ++i) bytes.push_back(std::uint8_t(s[i]));
        };
        auto u32 = [&](std::uint32_t v) {
            for (int i = 0; i < 4; ++i) bytes.push_back(std::uint8_t(v >> (8 * i)));
        };
        auto u16 = [&](std::uint16_t v) { bytes.push_back(std::uint8_t(v)), bytes.push_back(std::uint8_t(v >> 8)); };
        text("RIFF"), u32(36 + dataBytes), text("WAVE");
        text("fmt "), u32(16), u16(1), u16(1), u32(44100), u32(88200), u16(2), u16(16);
        text("data"), u32(dataBytes);
        for (std::uint32_t i = 0; i < dataBytes; ++i) bytes.push_back(0);
        WriteBytes(path, bytes);
    }

    std::filesystem::path root;

private:
    std::filesystem::path previous;
};

// Every singleton of the shell fresh, the Null device up with the recording sprite, overlays made.
class GameShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetSingletons();
        ASSERT_TRUE(GraphicsDevice::Instance().InitNull(1280, 720));
        auto recording = std::make_unique<RecordingSprite>();
        sprite = recording.get();
        GraphicsDevice::Instance().sprite = std::move(recording);
        MapManager::Instance().CreateOverlays();
        platform::message_box::SetMode(platform::message_box::Mode::Automatic);
        platform::message_box::ClearAnswers();
        platform::clock::SetFixed(true);
        platform::clock::Reset();
    }
    void TearDown() override {
        testsupport::ResetSingletons();
        platform::clock::SetFixed(false);
    }

    RecordingSprite* sprite = nullptr;
};

// A race scene on the Null device and the fixed clock, message boxes answered automatically, every
// singleton fresh before and after.
class RaceSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetSingletons();
        ASSERT_TRUE(GraphicsDevice::Instance().InitNull(1280, 720));
        platform::clock::SetFixed(true);
        platform::clock::Reset();
        platform::message_box::SetMode(platform::message_box::Mode::Automatic);
        platform::message_box::ClearAnswers();
    }
    void TearDown() override {
        game.reset();
        platform::message_box::SetObserver(nullptr);
        testsupport::ResetSingletons();
    }
    static bool HaveMap() { return std::filesystem::exists("data/Map/map2.map"); }
    // One main-loop frame of the scene: the clock moves 16 ms, the seat takes the frame's presses,
    // then update, animation and render.
    std::int32_t Frame() {
        platform::clock::AdvanceFrame();
        game->Seat().Poll();
        const std::int32_t next = game->Update();
        game->Animate();
        game->Render();
        return next;
    }

    std::unique_ptr<Game> game;
};
