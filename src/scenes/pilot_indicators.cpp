// The two HUD tags, one under the other.
#include "scenes/pilot_indicators.h"

namespace {
constexpr float kLeft = 24.0f, kTop = 20.0f, kStep = 32.0f;
constexpr D3DCOLOR kAutoColour = 0xFF50F0FF;
constexpr D3DCOLOR kSwapColour = 0xFFFFC040;
} // namespace

void PilotIndicators::Draw(bool autoPilot, bool pitchSwapped) {
    float y = kTop;
    if (autoPilot) {
        tag.Draw("AUTOMATIC PILOT", kLeft, y, kAutoColour);
        y += kStep;
    }
    if (pitchSwapped) tag.Draw("NOSE UP/DOWN SWAPPED", kLeft, y, kSwapColour);
}
