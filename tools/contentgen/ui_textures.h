// Title pictures and HUD glyph strips, written into data/Texture.
#pragma once

#include <string>

bool WriteUiTextures(const std::string& dir);
