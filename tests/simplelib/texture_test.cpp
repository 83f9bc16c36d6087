// Texture records and the texture cache: sizes, sharing by path, remembered failures, white fills.
#include "support/game_test_support.h"
#include "simplelib/texture.h"

namespace {

class TextureTest : public GameShellTest {
protected:
    ScratchFolder folder{"texture"};
};

TEST_F(TextureTest, KeepSizeKeepsTheImageSizeOtherwisePowerOfTwoWithTheImageRect) {
    folder.WritePng("img.png", 100, 50, 0xFF336699);
    SimpleLib::CTexture kept;
    ASSERT_TRUE(kept.Load("img.png", true));
    EXPECT_EQ(kept.info.Width, 100u);
    EXPECT_EQ(kept.info.Height, 50u);
    EXPECT_EQ(kept.rect, (RECT{0, 0, 100, 50}));
    EXPECT_EQ(kept.texture->Width(), 100u);
    EXPECT_EQ(kept.texture->Height(), 50u);
    EXPECT_EQ(kept.path, "img.png");
    ASSERT_NE(kept.surface, nullptr);

    SimpleLib::CTexture padded;
    ASSERT_TRUE(padded.Load("img.png", false));
    EXPECT_EQ(padded.rect, (RECT{0, 0, 100, 50}));
    EXPECT_EQ(padded.texture->Width(), 128u);
    EXPECT_EQ(padded.texture->Height(), 64u);
    EXPECT_GT(padded.info.MipLevels, 1u) << "file textures get a mip chain";

    SimpleLib::CTexture onDevice;
    ASSERT_TRUE(onDevice.Load(GraphicsDevice::Instance().device.get(), "img.png"));
    EXPECT_EQ(onDevice.texture->Width(), 128u);
}

// The low level halves a world texture to 512 on its longer side; the HUD's own-size images stay whole.
TEST_F(TextureTest, LowGraphicsHalveLargeWorldTexturesOnly) {
    folder.WritePng("sky.png", 1024, 512, 0xFF336699);
    GraphicsDevice::Instance().quality = GraphicsQuality::Low;
    SimpleLib::CTexture world, hud;
    ASSERT_TRUE(world.Load("sky.png", false));
    ASSERT_TRUE(hud.Load("sky.png", true));
    GraphicsDevice::Instance().quality = GraphicsQuality::Full;
    EXPECT_EQ(world.texture->Width(), 512u);
    EXPECT_EQ(world.texture->Height(), 256u);
    EXPECT_EQ(world.rect, (RECT{0, 0, 1024, 512})) << "still the image's own rectangle";
    EXPECT_EQ(hud.texture->Width(), 1024u);
    SimpleLib::CTexture full;
    ASSERT_TRUE(full.Load("sky.png", false));
    EXPECT_EQ(full.texture->Width(), 1024u);
}

TEST_F(TextureTest, ReloadReplacesAndReleaseEmpties) {
    folder.WritePng("a.png", 8, 4, 0xFFFFFFFF);
    folder.WritePng("b.png", 2, 2, 0xFFFFFFFF);
    SimpleLib::CTexture record;
    record.Release(); // an empty record releases harmlessly
    ASSERT_TRUE(record.Load("a.png", true));
    std::weak_ptr<gpu::Texture> first = record.texture;
    ASSERT_TRUE(record.Load("b.png", true));
    EXPECT_TRUE(first.expired()) << "the old texture is released first";
    EXPECT_EQ(record.rect, (RECT{0, 0, 2, 2}));
    record.Release();
    EXPECT_EQ(record.texture, nullptr);
    EXPECT_EQ(record.surface, nullptr);
    EXPECT_TRUE(record.path.empty());
    EXPECT_EQ(record.rect, RECT{});
    EXPECT_EQ(record.info.Width, 0u);
}

TEST_F(TextureTest, CorruptTruncatedAndMissingFilesFailAndLeaveNoTexture) {
    folder.WritePng("good.png", 32, 32, 0xFF00FF00);
    std::ifstream in(folder.root / "good.png", std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    folder.WriteBytes("truncated.png", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    auto corrupt = bytes;
    for (std::size_t i = 33; i < corrupt.size(); i += 2) corrupt[i] = 0xEE;
    folder.WriteBytes("corrupt.png", corrupt);
    folder.WriteBytes("empty.png", {});
    for (const char* path : {"truncated.png", "corrupt.png", "empty.png", "missing.png"}) {
        SimpleLib::CTexture record;
        EXPECT_FALSE(record.Load(path, true)) << path;
        EXPECT_EQ(record.texture, nullptr) << path;
        EXPECT_EQ(record.rect, RECT{}) << path;
    }
}

TEST_F(TextureTest, ImagesTooLargeForMemoryLeaveTheTextureEmptyWithAWarning) {
    folder.WritePng("small.png", 4, 4, 0xFF00FF00);
    std::ifstream in(folder.root / "small.png", std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes[18] = 0x20, bytes[19] = 0x00, bytes[22] = 0x20, bytes[23] = 0x00; // declares 8192 x 8192
    folder.WriteBytes("huge.png", bytes);
    // Small enough to decode, but its power-of-two copy would be 8192 x 4096.
    folder.WritePng("wide.png", 4097, 2049, 0xFF00FF00);
    for (const char* path : {"huge.png", "wide.png"}) {
        SimpleLib::CTexture record;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(record.Load(path, false)) << path;
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(record.texture, nullptr) << path;
        EXPECT_NE(log.find(std::string("texture: ") + path), std::string::npos) << log;
        EXPECT_NE(log.find("MiB, more than the 64 MiB a texture may take"), std::string::npos) << log;
    }
}

TEST_F(TextureTest, WithoutADeviceNothingLoads) {
    folder.WritePng("img.png", 4, 4, 0xFFFFFFFF);
    GraphicsDevice::ResetInstance();
    SimpleLib::CTexture record;
    EXPECT_FALSE(record.Load("img.png", true));
    EXPECT_FALSE(record.Create(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    EXPECT_FALSE(record.FillWhite());
}

TEST_F(TextureTest, CreateAndFillWhite) {
    SimpleLib::CTexture white;
    ASSERT_TRUE(white.Create(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    EXPECT_EQ(white.info.Width, 1u);
    EXPECT_EQ(white.info.MipLevels, 1u);
    EXPECT_EQ(white.info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(white.rect, (RECT{0, 0, 1, 1}));
    ASSERT_TRUE(white.FillWhite());
    gpu::LockedRect locked;
    ASSERT_TRUE(white.texture->LockRect(&locked));
    EXPECT_EQ(*static_cast<std::uint32_t*>(locked.pBits), 0xFFFFFFFFu);
    white.texture->UnlockRect();

    SimpleLib::CTexture wide;
    ASSERT_TRUE(wide.Create(37, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED));
    ASSERT_TRUE(wide.FillWhite());
    ASSERT_TRUE(wide.texture->LockRect(&locked));
    for (int y = 0; y < 5; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 37; ++x) ASSERT_EQ(row[x], 0xFFFFFFFFu) << x << "," << y;
    }
    wide.texture->UnlockRect();
    SimpleLib::CTexture empty;
    EXPECT_FALSE(empty.FillWhite());
}

TEST_F(TextureTest, CacheSharesByExactPathAndRemembersFailures) {
    folder.WritePng("data/Texture/a.png", 3, 3, 0xFFFFFFFF);
    ResourceCache& cache = ResourceCache::Instance();
    auto first = cache.GetTexture("data/Texture/a.png");
    auto again = cache.GetTexture("data/Texture/a.png");
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->info.Width, 3u) << "cached textures keep the image's size";
    auto otherCase = cache.GetTexture("data/Texture/A.png");
    auto otherSeparator = cache.GetTexture("data//Texture/a.png");
    EXPECT_NE(otherCase, first);
    EXPECT_NE(otherSeparator, first);
    EXPECT_NE(otherSeparator->texture, nullptr) << "a second entry, loaded a second time";

    auto missing = cache.GetTexture("data/Texture/late.png");
    EXPECT_EQ(missing->texture, nullptr);
    folder.WritePng("data/Texture/late.png", 2, 2, 0xFFFFFFFF);
    auto later = cache.GetTexture("data/Texture/late.png");
    EXPECT_EQ(later, missing);
    EXPECT_EQ(later->texture, nullptr) << "a failed load is never retried";

    std::weak_ptr<SimpleLib::CTexture> watched = first;
    first.reset();
    again.reset();
    EXPECT_FALSE(watched.expired()) << "the cache keeps its own reference";
    cache.Clear();
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(cache.Size(), 0u);
}

TEST_F(TextureTest, CacheLetsGoOfWhatOnlyEarlierScenesAskedFor) {
    folder.WritePng("data/Texture/title.png", 2, 2, 0xFFFFFFFF);
    folder.WritePng("data/Texture/race.png", 2, 2, 0xFFFFFFFF);
    folder.WritePng("data/Texture/both.png", 2, 2, 0xFFFFFFFF);
    ResourceCache& cache = ResourceCache::Instance();
    std::weak_ptr<SimpleLib::CTexture> title = cache.GetTexture("data/Texture/title.png"); // scenes hold weakly
    std::weak_ptr<SimpleLib::CTexture> both = cache.GetTexture("data/Texture/both.png");
    auto held = cache.GetTexture("data/Texture/held.png");
    cache.BeginScene();
    std::weak_ptr<SimpleLib::CTexture> race = cache.GetTexture("data/Texture/race.png");
    cache.GetTexture("data/Texture/both.png");
    cache.ReleaseEarlierScenes();
    EXPECT_TRUE(title.expired());
    EXPECT_FALSE(race.expired()) << "the running scene's weak references stay good";
    EXPECT_FALSE(both.expired());
    EXPECT_EQ(cache.GetTexture("data/Texture/held.png"), held) << "what someone still holds stays shared";
}

} // namespace
