// The pause overlay: dimmed world, the word and one line of keys.
#include "scenes/pause_screen.h"

#include "map/map_manager.h"
#include "scenes/hud_glyphs.h"
#include "render/graphics_device.h"

namespace {
constexpr std::int32_t kDim = 120;
constexpr D3DCOLOR kWordColour = 0xFFFFFFFF;
constexpr D3DCOLOR kHintColour = 0xFFD8E4FF;
} // namespace

void PauseScreen::Draw() {
    MapManager::Instance().DrawDim(kDim);
    const float w = ScreenWidth(), h = ScreenHeight();
    word.DrawCentred("PAUSE", w * 0.5f, h * 0.36f, kWordColour);
    hint.DrawCentred("P or Start: go on      F1: controls      Escape: back to the title", w * 0.5f, h * 0.36f + 130.0f,
                     kHintColour);
}
