// Effect images written into data/Effect, one per effect texture stem.
#pragma once

#include <string>

#include "image.h"

bool WriteEffectTextures(const std::string& dir);
// The magic circle as white lines on transparency (256 x 256); the desktop icon reuses it.
Image MagicCircleImage();
