// Text for the game's own screens (controls, options, pause, hints): the game's font at a size of
// its own, drawn through the shared sprite with a soft shadow so it reads over any background.
#pragma once

#include <memory>
#include <string>

#include "platform/gpu/device.h"

class ScreenText {
public:
    // An outlined text keeps its shape over bright, busy backgrounds (the race's sky).
    explicit ScreenText(int pixelHeight, bool outlined = false) : height(pixelHeight), outline(outlined) {}

    // Top-left corner at (x, y); the caller has begun the sprite batch.
    void Draw(const std::string& text, float x, float y, D3DCOLOR colour);
    void DrawCentred(const std::string& text, float centreX, float y, D3DCOLOR colour);
    int Width(const std::string& text);
    int Height() const { return height; }

private:
    gpu::Font* Face(); // made on first use, so a screen never shown costs nothing

    int height;
    bool outline;
    std::unique_ptr<gpu::Font> font;
    bool tried = false;
};
