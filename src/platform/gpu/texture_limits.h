// The texture sizes and formats both backends accept, so the two devices refuse the same requests.
#pragma once

#include <cstdint>

#include "platform/gpu/d3d_types.h"

namespace gpu {

// Largest side any device accepts for a texture or render target.
inline constexpr std::uint32_t kMaxTextureSize = 8192;

// Full mip chain length for a size (levels == 0 in CreateTexture).
std::uint32_t FullMipCount(std::uint32_t width, std::uint32_t height);
bool IsSupportedTextureFormat(D3DFORMAT format);

} // namespace gpu
