// The picture's cost on this machine: the full glow, a cheaper glow, or effects without glow.
#pragma once

#include <string_view>

enum class GraphicsQuality {
    Full, // the glow as the game defines it: half-size blur of two wide X/Y pass pairs, blended mip levels
    Fast, // every effect and a cheaper glow: two narrower pass pairs at quarter size
    Low,  // effects drawn without the glow chain
};

// "full", "fast", "low": the words of the --graphics flag and of the settings file.
const char* GraphicsQualityName(GraphicsQuality quality);
bool ParseGraphicsQuality(std::string_view name, GraphicsQuality* out);
