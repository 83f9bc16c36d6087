// PNG files to and from 32-bit pixels.
//
// Stands in for: the image-file half of D3DXCreateTextureFromFileEx (decode, optional rescale to
// power-of-two sizes) and D3DXSaveSurfaceToFile for screenshots.
// Pixels are 0xAARRGGBB words (D3DFMT_A8R8G8B8), row 0 at the top.
// Decoding is done by libpng with size limits; a corrupt or truncated file is an error with a reason.
// Does not: other file formats, colour management, 16-bit output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::image {

struct Image {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels; // width * height words
};

// Largest side accepted when decoding; bigger files are refused rather than allocated.
inline constexpr std::uint32_t kMaxSide = 8192;
// Largest file read for decoding.
inline constexpr std::uintmax_t kMaxFileBytes = 64u << 20;
// Largest decoded image (4 bytes a pixel). A small file can declare a huge image, so the size in its
// header is checked before anything is decoded; texture users hold their resized copies to it too.
inline constexpr std::uint64_t kMaxDecodedBytes = 64u << 20;

// The reason an image of this size is refused, or empty when it fits kMaxDecodedBytes.
std::string OversizeReason(std::uint64_t width, std::uint64_t height);

bool LoadPng(const std::string& path, Image* out, std::string* error);
bool DecodePng(const void* data, std::size_t size, Image* out, std::string* error);
bool SavePng(const std::string& path, const Image& image, std::string* error);
bool EncodePng(const Image& image, std::vector<std::uint8_t>* out, std::string* error);

// Smallest power of two not below n (1 for 0).
std::uint32_t NextPowerOfTwo(std::uint32_t n);
// Bilinear resample to a new size (used to give textures power-of-two sizes).
Image Resize(const Image& source, std::uint32_t width, std::uint32_t height);

} // namespace platform::image
