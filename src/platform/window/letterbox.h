// Where a fixed-size picture goes inside a window of any size: as large as fits, its shape kept, centred.
//
// Stands in for: what a full-screen Direct3D device at the game's own resolution gave for free, a
// picture that fills the screen without being stretched. The game always draws at its own size;
// this only decides the rectangle that picture is scaled into, leaving bars on the other sides.
// Does not: integer-only scaling, cropping, or any coordinate system but top-left origin.
#pragma once

namespace platform::window {

// A rectangle in window pixels, origin at the top left. Empty (all zero) when nothing can be shown.
struct PictureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PictureRect&) const = default;
};

// The largest rectangle of the picture's shape inside the area, centred (a spare odd pixel goes to
// the right or bottom bar). Any size of zero or less on either side gives the empty rectangle.
PictureRect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

} // namespace platform::window
