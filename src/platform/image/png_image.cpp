// PNG decoding with libpng's row API straight into 0xAARRGGBB words; encoding with its simplified API.
#include "platform/image/png_image.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace platform::image {

namespace {
static_assert(std::endian::native == std::endian::little, "BGRA bytes are read as 0xAARRGGBB words");

void UnpackRgba(std::uint32_t argb, std::uint8_t* p) {
    p[0] = std::uint8_t(argb >> 16), p[1] = std::uint8_t(argb >> 8), p[2] = std::uint8_t(argb);
    p[3] = std::uint8_t(argb >> 24);
}

// libpng reports errors by longjmp; the message is kept here for the caller.
struct ReadState {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
    char message[160];
};

void OnError(png_structp png, png_const_charp message) {
    auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message ? message : "unknown error");
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    if (count > state->size - state->offset) png_error(png, "file ends inside the image data");
    std::memcpy(out, state->data + state->offset, count);
    state->offset += count;
}

// Every colour type and depth is turned into 8-bit B, G, R, A bytes: on a little-endian machine
// that is exactly the 0xAARRGGBB word layout of the textures, so no conversion pass is needed.
void RequestBgra(png_structp png, png_infop info) {
    int colorType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Separate from DecodePng so that nothing with a destructor lives in the frame libpng jumps out of.
bool DecodeInto(ReadState& state, std::vector<std::uint32_t>& pixels, std::vector<png_bytep>& rows,
                std::uint32_t& width, std::uint32_t& height) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_set_read_fn(png, &state, ReadFromMemory);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    RequestBgra(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4) png_error(png, "unsupported pixel layout");
    pixels.resize(std::size_t(width) * height);
    rows.resize(height);
    for (std::uint32_t y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(&pixels[std::size_t(y) * width]);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}
} // namespace

std::string OversizeReason(std::uint64_t width, std::uint64_t height) {
    const std::uint64_t bytes = width * height * 4;
    if (bytes <= kMaxDecodedBytes) return {};
    return std::to_string(width) + " x " + std::to_string(height) + " pixels would take " +
           std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB, more than the " +
           std::to_string(kMaxDecodedBytes >> 20) + " MiB a texture may take";
}

bool DecodePng(const void* data, std::size_t size, Image* out, std::string* error) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!data || size < 8 || std::memcmp(data, kSignature, 8) != 0) {
        if (error) *error = "not a readable PNG: no PNG signature";
        return false;
    }
    // IHDR is always the first chunk: its width and height (big-endian) follow the signature,
    // the chunk length and the chunk name.
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (size >= 24 && std::memcmp(bytes + 12, "IHDR", 4) == 0) {
        auto big = [&](std::size_t at) {
            return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
                   std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
        };
        std::string reason = OversizeReason(big(16), big(20));
        if (!reason.empty()) {
            if (error) *error = reason;
            return false;
        }
    }
    ReadState state{static_cast<const std::uint8_t*>(data), size, 0, {}};
    std::vector<std::uint32_t> pixels;
    std::vector<png_bytep> rows;
    std::uint32_t width = 0, height = 0;
    if (!DecodeInto(state, pixels, rows, width, height)) {
        if (error) *error = std::string("corrupt PNG: ") + state.message;
        return false;
    }
    if (width == 0 || height == 0) {
        if (error) *error = "PNG size out of range";
        return false;
    }
    out->width = width;
    out->height = height;
    out->pixels = std::move(pixels);
    return true;
}

bool LoadPng(const std::string& path, Image* out, std::string* error) {
    // A folder opens as a stream on Linux and only fails (by throwing) when read, so ask first;
    // the size cap keeps a huge file from being read whole before libpng refuses it.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        int code = ec ? ec.value() : std::filesystem::is_directory(path, ec) ? EISDIR : ENOENT;
        if (error) *error = "cannot open " + path + ": " + std::strerror(code);
        return false;
    }
    auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileBytes) {
        if (error) *error = path + ": file too large for a texture";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<char> bytes(size);
    if (!file.read(bytes.data(), std::streamsize(size))) {
        if (error) *error = "cannot read " + path + ": " + std::strerror(errno ? errno : EIO);
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
    // stdio rather than a stream, so a full disk or a read-only folder is reported with its reason.
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int code = errno;
    if (file && std::fclose(file) != 0 && written) {
        written = false;
        code = errno;
    }
    if (!written && error) *error = "cannot write " + path + ": " + std::strerror(code ? code : EIO);
    return written;
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
            const std::uint32_t c00 = source.pixels[y0 * source.width + x0],
                                c10 = source.pixels[y0 * source.width + x1];
            const std::uint32_t c01 = source.pixels[y1 * source.width + x0],
                                c11 = source.pixels[y1 * source.width + x1];
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
