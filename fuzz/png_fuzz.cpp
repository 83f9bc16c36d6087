// libFuzzer entry: arbitrary bytes through the PNG decoder must give an image or an error, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/png_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::image::Image image;
    std::string error;
    if (platform::image::DecodePng(data, size, &image, &error)) {
        // A decoded image must be internally consistent.
        if (image.pixels.size() != std::size_t(image.width) * image.height) __builtin_trap();
    }
    return 0;
}
