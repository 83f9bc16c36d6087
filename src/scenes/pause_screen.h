// The pause overlay of the race: the world shown still under a dark veil, "PAUSE" and how to go on.
#pragma once

#include "scenes/screen_text.h"

class PauseScreen {
public:
    // Inside the scene's sprite batch.
    void Draw();

private:
    ScreenText word{96};
    ScreenText hint{26};
};
