// libpng's simplified API does the decoding; this file adds the limits and the pixel layout.
#include "platform/image/png_image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace platform::image {

namespace {
// libpng's RGBA byte order -> 0xAARRGGBB words and back.
std::uint32_t PackRgba(const std::uint8_t* p) {
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}
void UnpackRgba(std::uint32_t argb, std::uint8_t* p) {
    p[0] = std::uint8_t(argb >> 16), p[1] = std::uint8_t(argb >> 8), p[2] = std::uint8_t(argb);
    p[3] = std::uint8_t(argb >> 24);
}
} // namespace

bool DecodePng(const void* data, std::size_t size, Image* out, std::string* error) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&img, data, size)) {
        if (error) *error = std::string("not a readable PNG: ") + img.message;
        return false;
    }
    if (img.width == 0 || img.height == 0 || img.width > kMaxSide || img.height > kMaxSide) {
        if (error) *error = "PNG size " + std::to_string(img.width) + "x" + std::to_string(img.height) + " out of range";
        png_image_free(&img);
        return false;
    }
    img.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, rgba.data(), 0, nullptr)) {
        if (error) *error = std::string("corrupt PNG: ") + img.message;
        png_image_free(&img);
        return false;
    }
    out->width = img.width;
    out->height = img.height;
    out->pixels.resize(std::size_t(img.width) * img.height);
    for (std::size_t i = 0; i < out->pixels.size(); ++i) out->pixels[i] = PackRgba(&rgba[i * 4]);
    return true;
}

bool LoadPng(const std::string& path, Image* out, std::string* error) {
    // A folder opens as a stream on Linux and only fails (by throwing) when read, so ask first;
    // the size cap keeps a huge file from being read whole before libpng refuses it.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        if (error) *error = "cannot open " + path + " (not a file)";
        return false;
    }
    auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileBytes) {
        if (error) *error = path + ": file too large for a texture";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error) *error = "cannot open " + path;
        return false;
    }
    std::vector<char> bytes(size);
    if (!file.read(bytes.data(), std::streamsize(size))) {
        if (error) *error = "cannot read " + path;
        return false;
    }
    if (!DecodePng(bytes.data(), bytes.size(), out, error)) {
        if (error) *error = path + ": " + *error;
        return false;
    }
    return true;
}

bool EncodePng(const Image& image, std::vector<std::uint8_t>* out, std::string* error) {
    if (image.width == 0 || image.height == 0 || image.pixels.size() != std::size_t(image.width) * image.height) {
        if (error) *error = "image has no pixels or a size that does not match them";
        return false;
    }
    std::vector<std::uint8_t> rgba(image.pixels.size() * 4);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) UnpackRgba(image.pixels[i], &rgba[i * 4]);
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = image.width;
    img.height = image.height;
    img.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&img, nullptr, &size, 0, rgba.data(), 0, nullptr)) {
        if (error) *error = std::string("PNG encode failed: ") + img.message;
        return false;
    }
    out->resize(size);
    if (!png_image_write_to_memory(&img, out->data(), &size, 0, rgba.data(), 0, nullptr)) {
        if (error) *error = std::string("PNG encode failed: ") + img.message;
        return false;
    }
    out->resize(size);
    return true;
}

bool SavePng(const std::string& path, const Image& image, std::string* error) {
    std::vector<std::uint8_t> bytes;
    if (!EncodePng(image, &bytes, error)) return false;
    std::ofstream file(path, std::ios::binary);
    if (!file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

std::uint32_t NextPowerOfTwo(std::uint32_t n) {
    std::uint32_t p = 1;
    while (p < n && p < 0x80000000u) p <<= 1;
    return p;
}

Image Resize(const Image& source, std::uint32_t width, std::uint32_t height) {
    Image out;
    out.width = width;
    out.height = height;
    out.pixels.assign(std::size_t(width) * height, 0);
    if (source.width == 0 || source.height == 0 || width == 0 || height == 0) return out;
    auto channel = [](std::uint32_t c, int shift) { return float((c >> shift) & 0xFF); };
    for (std::uint32_t y = 0; y < height; ++y) {
        float sy = std::max(0.0f, (y + 0.5f) * source.height / height - 0.5f);
        std::uint32_t y0 = std::min(std::uint32_t(sy), source.height - 1), y1 = std::min(y0 + 1, source.height - 1);
        float fy = sy - y0;
        for (std::uint32_t x = 0; x < width; ++x) {
            float sx = std::max(0.0f, (x + 0.5f) * source.width / width - 0.5f);
            std::uint32_t x0 = std::min(std::uint32_t(sx), source.width - 1), x1 = std::min(x0 + 1, source.width - 1);
            float fx = sx - x0;
            const std::uint32_t c00 = source.pixels[y0 * source.width + x0], c10 = source.pixels[y0 * source.width + x1];
            const std::uint32_t c01 = source.pixels[y1 * source.width + x0], c11 = source.pixels[y1 * source.width + x1];
            std::uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                float top = channel(c00, shift) * (1 - fx) + channel(c10, shift) * fx;
                float bottom = channel(c01, shift) * (1 - fx) + channel(c11, shift) * fx;
                result |= std::uint32_t(std::lround(top * (1 - fy) + bottom * fy)) << shift;
            }
            out.pixels[std::size_t(y) * width + x] = result;
        }
    }
    return out;
}

} // namespace platform::image
