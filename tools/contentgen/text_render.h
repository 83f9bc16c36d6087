// Text masks from a real font through SDL2_ttf, and lettering styles (gradient fill, outline, glow).
#pragma once

#include <string>

#include "image.h"

// Starts SDL_ttf; false with a message on stderr when no usable font exists.
bool TextInit();
void TextQuit();

enum class FontFace { Sans, Display };

// White text whose alpha is the glyph coverage, cropped to the ink plus `pad` pixels.
Image TextMask(const std::string& utf8, int pixelSize, FontFace face, int pad);

struct LetterStyle {
    Rgba top, bottom; // vertical fill gradient
    Rgba outline{0, 0, 0, 1};
    float outlineWidth = 0; // pixels
    Rgba glow{0, 0, 0, 0};
    float glowRadius = 0;
};

// Draws styled text centred at (cx, cy) into `dst`.
void DrawLettering(Image& dst, const std::string& utf8, int pixelSize, FontFace face, float cx, float cy,
                   const LetterStyle& style);
