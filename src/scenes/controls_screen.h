// The controls screen: every action with its keys as bound now in both keyboard sets and its
// gamepad control, over the darkened title or race. F1 opens it; F1, Enter or Escape close it.
#pragma once

#include "race/seat.h"

#include <vector>

#include "app/settings/controls_list.h"
#include "scenes/screen_text.h"

class ControlsScreen {
public:
    void Open(const KeyBindings& bindings, const KeyBindings& second);
    bool IsOpen() const { return open; }
    // Polls F1, Enter and Escape through their shared latches; any of them closes the screen.
    void Update(race::Seat& seat);
    // Inside the scene's sprite batch.
    void Draw();

private:
    bool open = false;
    std::vector<ControlRow> rows;
    ScreenText heading{44};
    ScreenText body{24};
};
