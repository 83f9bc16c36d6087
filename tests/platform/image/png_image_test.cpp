// PNG decode/encode: the round trip keeps every pixel, and damaged files fail with a reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/image/png_image.h"

namespace {

using platform::image::Image;

Image Gradient(std::uint32_t width, std::uint32_t height) {
    Image image;
    image.width = width;
    image.height = height;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image.pixels.push_back((std::uint32_t(128 + x) << 24) | (x * 7 % 256) << 16 | (y * 5 % 256) << 8 | 0x33);
    return image;
}

std::vector<std::uint8_t> Encoded(const Image& image) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(platform::image::EncodePng(image, &bytes, &error)) << error;
    return bytes;
}

TEST(PngImage, RoundTripKeepsSizeAndEveryPixel) {
    Image original = Gradient(37, 11);
    auto bytes = Encoded(original);
    Image decoded;
    std::string error;
    ASSERT_TRUE(platform::image::DecodePng(bytes.data(), bytes.size(), &decoded, &error)) << error;
    EXPECT_EQ(decoded.width, 37u);
    EXPECT_EQ(decoded.height, 11u);
    EXPECT_EQ(decoded.pixels, original.pixels);
}

TEST(PngImage, TruncatedCorruptAndEmptyDataFailWithAReason) {
    auto bytes = Encoded(Gradient(64, 64));
    std::vector<std::vector<std::uint8_t>> damaged;
    damaged.emplace_back(bytes.begin(), bytes.begin() + bytes.size() / 2); // truncated in the pixel data
    damaged.emplace_back(bytes.begin(), bytes.begin() + 20);               // truncated in the header
    auto flipped = bytes;
    for (std::size_t i = 40; i < flipped.size(); i += 3) flipped[i] ^= 0x5A; // corrupt the compressed stream
    damaged.push_back(flipped);
    damaged.push_back({});
    damaged.push_back({'n', 'o', 't', ' ', 'p', 'n', 'g'});
    for (const auto& data : damaged) {
        Image out;
        std::string error;
        EXPECT_FALSE(platform::image::DecodePng(data.data(), data.size(), &out, &error)) << data.size();
        EXPECT_FALSE(error.empty());
    }
}

TEST(PngImage, OversizedHeaderIsRefusedBeforeAllocating) {
    auto bytes = Encoded(Gradient(4, 4));
    // IHDR width lives at bytes 16..19; claim 100000 pixels wide (the CRC then no longer matches either).
    bytes[16] = 0x00, bytes[17] = 0x01, bytes[18] = 0x86, bytes[19] = 0xA0;
    Image out;
    std::string error;
    EXPECT_FALSE(platform::image::DecodePng(bytes.data(), bytes.size(), &out, &error));
}

TEST(PngImage, FilesSaveAndLoadAndMissingFilesFail) {
    auto path = std::filesystem::temp_directory_path() / "orlenda_png_test.png";
    Image original = Gradient(5, 3);
    std::string error;
    ASSERT_TRUE(platform::image::SavePng(path.string(), original, &error)) << error;
    Image loaded;
    ASSERT_TRUE(platform::image::LoadPng(path.string(), &loaded, &error)) << error;
    EXPECT_EQ(loaded.pixels, original.pixels);
    std::filesystem::remove(path);
    EXPECT_FALSE(platform::image::LoadPng(path.string(), &loaded, &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    // A folder is refused like a missing file (map materials without a texture name ask for one).
    EXPECT_FALSE(platform::image::LoadPng(std::filesystem::temp_directory_path().string(), &loaded, &error));
    EXPECT_NE(error.find("not a file"), std::string::npos);
}

TEST(PngImage, EncodeRefusesImagesWhosePixelsDoNotMatchTheirSize) {
    Image bad = Gradient(4, 4);
    bad.pixels.pop_back();
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(platform::image::EncodePng(bad, &bytes, &error));
    EXPECT_FALSE(platform::image::EncodePng(Image{}, &bytes, &error));
}

TEST(PngImage, PowerOfTwoSizesAndResize) {
    EXPECT_EQ(platform::image::NextPowerOfTwo(0), 1u);
    EXPECT_EQ(platform::image::NextPowerOfTwo(1), 1u);
    EXPECT_EQ(platform::image::NextPowerOfTwo(100), 128u);
    EXPECT_EQ(platform::image::NextPowerOfTwo(128), 128u);
    Image flat;
    flat.width = 3, flat.height = 5;
    flat.pixels.assign(15, 0x80FF4020);
    Image resized = platform::image::Resize(flat, 4, 8);
    ASSERT_EQ(resized.pixels.size(), 32u);
    for (std::uint32_t pixel : resized.pixels) EXPECT_EQ(pixel, 0x80FF4020u); // a flat colour stays flat
}

} // namespace
