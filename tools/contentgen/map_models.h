// Scenery models of the course, written as .x files into data/MapObject.
#pragma once

#include <string>

bool WriteMapModels(const std::string& dir);
// Textures beside them: ground colours by height and slope, plaster, roof tiles, stone, wood.
bool WriteMapTextures(const std::string& dir);

#include "image.h"
// The shipped course's ground texture (data/MapObject/ground.png), also the base of its preview.
Image ShippedGroundTexture();
