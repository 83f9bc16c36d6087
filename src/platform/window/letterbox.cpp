// Fitting the game's picture into the window with bars rather than stretching it.
#include "platform/window/letterbox.h"

#include <algorithm>
#include <cstdint>

namespace platform::window {

namespace {
// a * b / c rounded to the nearest whole number, in 64 bits so window sizes cannot overflow it.
int ScaleRounded(int a, int b, int c) {
    std::int64_t product = std::int64_t(a) * b;
    return static_cast<int>((2 * product + c) / (2 * std::int64_t(c)));
}
} // namespace

PictureRect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return {};
    PictureRect rect;
    // Comparing cross products picks the limiting side without a division's rounding.
    if (std::int64_t(areaWidth) * pictureHeight <= std::int64_t(areaHeight) * pictureWidth) {
        rect.width = areaWidth; // bars above and below
        rect.height = std::clamp(ScaleRounded(areaWidth, pictureHeight, pictureWidth), 1, areaHeight);
    } else {
        rect.height = areaHeight; // bars left and right
        rect.width = std::clamp(ScaleRounded(areaHeight, pictureWidth, pictureHeight), 1, areaWidth);
    }
    rect.x = (areaWidth - rect.width) / 2;
    rect.y = (areaHeight - rect.height) / 2;
    return rect;
}

} // namespace platform::window
