// The broom and the sky sphere, written into data/XFile.
#pragma once

#include <string>

bool WriteBroom(const std::string& dir);
bool WriteSky(const std::string& dir); // Sky.x and its texture into `dir`

#include "geometry.h"
// The inward-facing sky sphere, painted with `texture` (equirectangular, row 0 straight up).
MeshBuilder SkySphere(const char* texture);
