// The graphics levels' names.
#include "render/graphics_quality.h"

const char* GraphicsQualityName(GraphicsQuality quality) {
    switch (quality) {
    case GraphicsQuality::Fast: return "fast";
    case GraphicsQuality::Low: return "low";
    default: return "full";
    }
}

bool ParseGraphicsQuality(std::string_view name, GraphicsQuality* out) {
    for (GraphicsQuality quality : {GraphicsQuality::Full, GraphicsQuality::Fast, GraphicsQuality::Low}) {
        if (name != GraphicsQualityName(quality)) continue;
        *out = quality;
        return true;
    }
    return false;
}
