// The controls screen: a heading, three columns (what, keyboard, gamepad) and how to close it.
#include "scenes/controls_screen.h"

#include "map/map_manager.h"
#include "platform/window/input.h"
#include "scenes/hud_glyphs.h"
#include "render/graphics_device.h"

namespace {
constexpr std::int32_t kDim = 190;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kHeadingColour = 0xFFFFE9A0;
constexpr D3DCOLOR kColumnColour = 0xFFA8C8FF;
constexpr float kTop = 60.0f;
constexpr float kRowStep = 34.0f;
// Columns as shares of the screen width.
constexpr float kWhatColumn = 0.06f, kKeyColumn = 0.40f, kSecondColumn = 0.54f, kPadColumn = 0.66f;
} // namespace

void ControlsScreen::Open(const KeyBindings& bindings, const KeyBindings& second) {
    rows = ControlRows(bindings, second);
    open = true;
}

void ControlsScreen::Update(race::Seat& seat) {
    if (!open) return;
    // Each key is polled every frame so its latch follows it, whichever one closes the screen.
    const bool f1 = seat.Pressed(VK_F1);
    const bool enter = seat.Pressed(VK_RETURN);
    const bool escape = seat.Pressed(VK_ESCAPE);
    if (f1 || enter || escape) open = false;
}

void ControlsScreen::Draw() {
    if (!open) return;
    MapManager::Instance().DrawDim(kDim);
    const float w = ScreenWidth();
    heading.DrawCentred("CONTROLS", w * 0.5f, kTop, kHeadingColour);
    float y = kTop + 80.0f;
    body.Draw("keyboard", w * kKeyColumn, y, kColumnColour);
    body.Draw("set 2", w * kSecondColumn, y, kColumnColour);
    body.Draw("gamepad", w * kPadColumn, y, kColumnColour);
    y += kRowStep + 6.0f;
    for (const ControlRow& row : rows) {
        body.Draw(row.what, w * kWhatColumn, y, kWhite);
        body.Draw(row.keyboard, w * kKeyColumn, y, kWhite);
        body.Draw(row.second, w * kSecondColumn, y, kWhite);
        body.Draw(row.pad, w * kPadColumn, y, kWhite);
        y += kRowStep;
    }
    body.DrawCentred("F1, Enter or Escape: close", w * 0.5f, y + 20.0f, kColumnColour);
}
