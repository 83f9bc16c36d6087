// Scenery models of the course, written as .x files into data/MapObject.
#pragma once

#include <string>

bool WriteMapModels(const std::string& dir);
// Textures beside them: ground colours by height and slope, plaster, roof tiles, stone, wood.
bool WriteMapTextures(const std::string& dir);

#include "image.h"
// The shipped course's ground texture (data/MapObject/ground.png).
Image ShippedGroundTexture();
// The texture's colour at any world point, beyond the ground too (the noise tiles): its preview.
Rgba ShippedGroundColour(double x, double z);
