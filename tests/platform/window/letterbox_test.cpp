// Fitting the 1280 x 720 picture into windows and screens of every shape.
#include <gtest/gtest.h>

#include "platform/window/letterbox.h"

namespace {

using platform::window::FitPicture;
using platform::window::PictureRect;

TEST(FitPicture, KeepsTheShapeAndCentresWithBarsOnTheSpareSides) {
    // Exactly the picture's size or shape: no bars at all.
    EXPECT_EQ(FitPicture(1280, 720, 1280, 720), (PictureRect{0, 0, 1280, 720}));
    EXPECT_EQ(FitPicture(1280, 720, 1920, 1080), (PictureRect{0, 0, 1920, 1080}));
    // Taller screens: bars above and below, split evenly.
    EXPECT_EQ(FitPicture(1280, 720, 1280, 1024), (PictureRect{0, 152, 1280, 720}));
    // Wider screens: bars at the sides.
    EXPECT_EQ(FitPicture(1280, 720, 2560, 1080), (PictureRect{320, 0, 1920, 1080}));
    // 1366 x 768 is a hair wider than 16:9; the picture rounds to the nearest pixel and the odd
    // pixel left over becomes a bar on the right.
    EXPECT_EQ(FitPicture(1280, 720, 1366, 768), (PictureRect{0, 0, 1365, 768}));
}

TEST(FitPicture, TinyAndEmptyWindowsNeverGiveANegativeOrOversizedRectangle) {
    EXPECT_EQ(FitPicture(1280, 720, 1, 1), (PictureRect{0, 0, 1, 1}));
    EXPECT_EQ(FitPicture(1280, 720, 3, 1), (PictureRect{0, 0, 2, 1}));
    EXPECT_EQ(FitPicture(1280, 720, 1, 500), (PictureRect{0, 249, 1, 1}));
    // A minimised window reports zero; nothing is drawn rather than a degenerate blit.
    EXPECT_EQ(FitPicture(1280, 720, 0, 0), PictureRect{});
    EXPECT_EQ(FitPicture(1280, 720, 1920, 0), PictureRect{});
    EXPECT_EQ(FitPicture(1280, 720, -5, 720), PictureRect{});
    EXPECT_EQ(FitPicture(0, 720, 1920, 1080), PictureRect{});
    // Huge sizes do not overflow the arithmetic.
    EXPECT_EQ(FitPicture(1280, 720, 2000000000, 1000000000), (PictureRect{111111111, 0, 1777777778, 1000000000}));
}

} // namespace
