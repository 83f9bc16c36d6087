// Every generated file is where the game looks for it, in the format and size it expects:
// PNGs through the game's decoder, WAVs through the game's wave reader, models as .x text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <unistd.h>

#include "support/content_files.h"
#include "platform/image/png_image.h"
#include "sound/wave_file.h"

using namespace content_test;

namespace {

platform::image::Image LoadImage(const std::string& path) {
    platform::image::Image img;
    std::string error;
    EXPECT_TRUE(platform::image::LoadPng(path, &img, &error)) << path << ": " << error;
    return img;
}

float Alpha(const platform::image::Image& img, uint32_t x, uint32_t y) {
    return (img.pixels[size_t(y) * img.width + x] >> 24) / 255.0f;
}

TEST(Assets, TitleAndHudPicturesHaveTheirSizes) {
    struct Want {
        const char* path;
        uint32_t w, h;
    } wants[] = {{"data/Texture/titleback.png", 1280, 720},
                 {"data/Texture/number.png", 1500, 100},
                 {"data/Texture/rank.png", 105, 240}};
    for (const Want& w : wants) {
        platform::image::Image img = LoadImage(w.path);
        EXPECT_EQ(img.width, w.w) << w.path;
        EXPECT_EQ(img.height, w.h) << w.path;
    }
    for (const char* p : {"data/Texture/titlelogo.png", "data/Texture/titlefog.png", "data/Texture/pleaseenter.png"}) {
        platform::image::Image img = LoadImage(p);
        EXPECT_LE(img.width, 1280u) << p;
        EXPECT_LE(img.height, 720u) << p;
        EXPECT_EQ(Alpha(img, 0, 0), 0.0f) << p << " keeps a transparent background";
    }
}

// Each course preview fills the title's 256 x 128 box with ground painted for its own pixels: no
// strip where the ground ran out is smeared sideways as one repeated colour.
TEST(Assets, CoursePreviewsFillTheirBoxWithoutSmearedStrips) {
    constexpr std::uint32_t kLapLine = 0xFFFFF4D0;
    for (const char* id : {"map2", "mountain", "evening", "long"}) {
        const platform::image::Image img = LoadImage(std::string("data/Texture/preview_") + id + ".png");
        ASSERT_EQ(img.width, 256u) << id;
        ASSERT_EQ(img.height, 128u) << id;
        std::uint32_t longest = 0;
        for (std::uint32_t y = 2; y < img.height - 2; ++y) {
            std::uint32_t run = 1;
            for (std::uint32_t x = 3; x < img.width - 2; ++x) {
                const std::size_t at = std::size_t(y) * img.width + x;
                const bool lap = img.pixels[at] == kLapLine; // the line drawn over the ground
                run = !lap && img.pixels[at] == img.pixels[at - 1] ? run + 1 : 1;
                longest = std::max(longest, run);
            }
        }
        EXPECT_LT(longest, 12u) << id << ": a strip of one colour";
    }
}

TEST(Assets, EveryGlyphCellHasInkAndSeparateCellsStaySeparate) {
    platform::image::Image digits = LoadImage("data/Texture/number.png");
    for (uint32_t cell = 0; cell < 15; ++cell) {
        float ink = 0, edge = 0;
        for (uint32_t y = 0; y < 100; ++y)
            for (uint32_t x = 0; x < 100; ++x) {
                float a = Alpha(digits, cell * 100 + x, y);
                ink += a;
                if (x == 0 || x == 99) edge += a;
            }
        EXPECT_GT(ink, 200.0f) << "cell " << cell;
        EXPECT_LT(edge, 10.0f) << "cell " << cell << " bleeds into its neighbour";
    }
    platform::image::Image rank = LoadImage("data/Texture/rank.png");
    for (uint32_t row = 0; row < 4; ++row) {
        float ink = 0;
        for (uint32_t y = 0; y < 60; ++y)
            for (uint32_t x = 0; x < 105; ++x) ink += Alpha(rank, x, row * 60 + y);
        EXPECT_GT(ink, 200.0f) << "row " << row;
    }
}

TEST(Assets, EffectImagesAreWhiteShapesWithAlpha) {
    for (const char* stem : {"lightball", "magiccircle", "broomeffect", "trajectory", "pmcircle", "arrow", "cross"}) {
        platform::image::Image img = LoadImage(std::string("data/Effect/") + stem + ".png");
        ASSERT_GT(img.width, 0u) << stem;
        float minA = 1, maxA = 0, darkest = 1;
        for (uint32_t px : img.pixels) {
            float a = (px >> 24) / 255.0f;
            minA = std::min(minA, a), maxA = std::max(maxA, a);
            if (a > 0.5f) darkest = std::min(darkest, ((px >> 16) & 255) / 255.0f);
        }
        EXPECT_EQ(minA, 0.0f) << stem;
        EXPECT_GT(maxA, 0.9f) << stem;
        EXPECT_GT(darkest, 0.7f) << stem << " should be light so the game's colours tint it";
    }
    // The arrow points to texture v = 0, the top row: its tip is narrow and near the top.
    platform::image::Image arrow = LoadImage("data/Effect/arrow.png");
    auto width = [&](uint32_t y) {
        int n = 0;
        for (uint32_t x = 0; x < arrow.width; ++x) n += Alpha(arrow, x, y) > 0.5f;
        return n;
    };
    EXPECT_LT(width(arrow.height / 20), width(arrow.height * 2 / 5));
    EXPECT_GT(width(arrow.height / 20), 0);
}

// Reads all 16-bit samples of a WAV through the game's reader, checking the format on the way.
std::vector<int16_t> LoadSamples(const std::string& path, int* channels) {
    WaveFile wave;
    std::string error;
    EXPECT_TRUE(wave.Open(path, &error)) << path << ": " << error;
    const platform::audio::WaveFormat* f = wave.GetFormat();
    if (!f) return {};
    EXPECT_EQ(f->wFormatTag, 1) << path;
    EXPECT_EQ(f->nSamplesPerSec, 44100u) << path;
    EXPECT_EQ(f->wBitsPerSample, 16) << path;
    *channels = f->nChannels;
    std::vector<int16_t> samples(wave.GetSize() / 2);
    uint32_t copied = 0;
    EXPECT_TRUE(wave.Read(samples.data(), uint32_t(samples.size() * 2), &copied));
    EXPECT_EQ(copied, samples.size() * 2);
    return samples;
}

TEST(Assets, SoundsAreCleanPcmAndTheLoopsJoin) {
    for (const char* name : {"BGM", "push", "go", "clear", "fly", "get"}) {
        int channels = 0;
        std::vector<int16_t> s = LoadSamples(std::string("data/Sound/") + name + ".wav", &channels);
        ASSERT_GT(s.size(), 4410u) << name;
        int peak = 0;
        for (int16_t v : s) peak = std::max(peak, std::abs(int(v)));
        EXPECT_GT(peak, 8000) << name << " is audible";
        EXPECT_LT(peak, 32767) << name << " does not clip";
        bool loops = std::string(name) == "BGM" || std::string(name) == "fly";
        // The step from the last sample frame to the first must look like any other step.
        for (int c = 0; c < channels; ++c) {
            int first = s[size_t(c)], last = s[s.size() - size_t(channels) + size_t(c)];
            if (loops) {
                int largestStep = 0;
                for (size_t i = size_t(c) + size_t(channels); i < s.size(); i += size_t(channels))
                    largestStep = std::max(largestStep, std::abs(s[i] - s[i - size_t(channels)]));
                EXPECT_LE(std::abs(first - last), largestStep) << name;
            } else {
                EXPECT_LT(std::abs(first), 300) << name << " starts without a click";
                EXPECT_LT(std::abs(last), 300) << name << " ends without a click";
            }
        }
        if (std::string(name) == "BGM") { EXPECT_GE(double(s.size()) / channels / 44100.0, 20.0); }
    }
}

TEST(Assets, ModelsAreDirectXTextWithTheirTextures) {
    const char* models[] = {"data/MapObject/ground.x",    "data/MapObject/church.x",    "data/MapObject/kosciol.x",
                            "data/MapObject/windtower.x", "data/MapObject/sail.x",      "data/MapObject/checkpoint.x",
                            "data/XFile/houki.x",         "data/XFile/SkySphere/Sky.x", "data/XFile/aaa/perlita.x",
                            "data/XFile/velka/velka.x",   "data/XFile/mirro/mirro.x"};
    for (const char* path : models) {
        PlainMesh mesh;
        ASSERT_TRUE(ReadFirstMesh(path, &mesh)) << path;
        EXPECT_LT(mesh.positions.size(), 65535u) << path;
        std::string text = ReadText(path);
        std::string dir = std::filesystem::path(path).parent_path().string();
        for (size_t at = text.find("TextureFilename"); at != std::string::npos;
             at = text.find("TextureFilename", at + 1)) {
            size_t q0 = text.find('"', at), q1 = text.find('"', q0 + 1);
            std::string file = dir + "/" + text.substr(q0 + 1, q1 - q0 - 1);
            EXPECT_TRUE(std::filesystem::exists(file)) << path << " names " << file;
        }
    }
}

TEST(Assets, SkyFacesInwardsAndFitsInsideTheFarPlane) {
    PlainMesh sky;
    ASSERT_TRUE(ReadFirstMesh("data/XFile/SkySphere/Sky.x", &sky));
    float far = 0;
    for (const D3DXVECTOR3& v : sky.positions) far = std::max(far, D3DXVec3Length(&v));
    EXPECT_LT(far * 15, 2000.0f);
    EXPECT_GT(far * 15, 1000.0f);
    for (const auto& f : sky.faces) {
        D3DXVECTOR3 a = sky.positions[size_t(f[0])], b = sky.positions[size_t(f[1])], c = sky.positions[size_t(f[2])];
        D3DXVECTOR3 ab = b - a, ac = c - a, n, centre = (a + b + c) / 3.0f;
        D3DXVec3Cross(&n, &ab, &ac);
        ASSERT_LT(D3DXVec3Dot(&n, &centre), 0.0f) << "a sky face looks outwards";
    }
}

TEST(Assets, CharactersAreSkinnedWithTheSeatedSetFirst) {
    for (const char* path : {"data/XFile/aaa/perlita.x", "data/XFile/velka/velka.x", "data/XFile/mirro/mirro.x"}) {
        std::string text = ReadText(path);
        size_t bones = 0;
        for (size_t at = text.find("SkinWeights"); at != std::string::npos; at = text.find("SkinWeights", at + 1))
            ++bones;
        EXPECT_GE(bones, 10u) << path;
        EXPECT_LE(bones, 25u) << path;
        size_t header = text.find("XSkinMeshHeader");
        ASSERT_NE(header, std::string::npos);
        EXPECT_LE(std::atoi(text.c_str() + text.find_first_of("0123456789", header)), 3) << path;
        size_t seated = text.find("AnimationSet 座り");
        ASSERT_NE(seated, std::string::npos) << path;
        EXPECT_NE(text.find("AnimationSet ", seated + 1), std::string::npos) << path << " needs a set after 座り";
        EXPECT_NE(text.find("AnimTicksPerSecond"), std::string::npos);
    }
    EXPECT_NE(ReadText("data/XFile/aaa/perlita.png"), ReadText("data/XFile/mirro/mirro.png")) << "palettes differ";
}

TEST(Assets, GenerationIsDeterministic) {
    // Named by process, so two checkouts testing at once do not write into each other's folders.
    const std::string pid = std::to_string(getpid());
    std::string dir = testing::TempDir() + "contentgen_again-" + pid;
    std::string out;
    std::string courses = testing::TempDir() + "contentgen_courses-" + pid;
    ASSERT_EQ(RunCommand(Tool("contentgen") + " --out " + dir + " --courses " + courses + " --shipped " + SourceDir() +
                             "/content/course/course.txt",
                         &out),
              0)
        << out;
    size_t compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        std::string rel = std::filesystem::relative(entry.path(), dir).string();
        EXPECT_EQ(ReadText(entry.path().string()), ReadText("data/" + rel)) << rel;
        ++compared;
    }
    EXPECT_GE(compared, 45u);
    // the generated courses' texts, compiled into their maps by the build
    for (const char* id : {"mountain", "evening", "long"}) {
        std::string text = ReadText(courses + "/" + id + ".txt");
        EXPECT_FALSE(text.empty()) << id;
        EXPECT_EQ(text, ReadText(BuildDir() + "/courses/" + id + ".txt")) << id;
    }
    std::filesystem::remove_all(courses);
    std::filesystem::remove_all(dir);
}

} // namespace
