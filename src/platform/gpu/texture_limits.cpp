// The texture sizes and formats both backends accept.
#include "platform/gpu/texture_limits.h"

#include <algorithm>

namespace gpu {

std::uint32_t FullMipCount(std::uint32_t width, std::uint32_t height) {
    std::uint32_t size = std::max(width, height), levels = 1;
    while (size > 1) {
        size >>= 1;
        ++levels;
    }
    return levels;
}

bool IsSupportedTextureFormat(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_A16B16G16R16F;
}

} // namespace gpu
