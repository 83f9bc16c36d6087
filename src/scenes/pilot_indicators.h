// Small HUD tags at the top left while the automatic pilot flies the player's racer and while its
// nose up and down are swapped.
#pragma once

#include "scenes/screen_text.h"

class PilotIndicators {
public:
    // Inside the scene's sprite batch; draws nothing when neither is on.
    void Draw(bool autoPilot, bool pitchSwapped);

private:
    ScreenText tag{24, true};
};
