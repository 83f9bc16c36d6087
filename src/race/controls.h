// Controls: what one racer is told to do in one update, whoever tells it (a person's seat or the
// automatic pilot). The race reads nothing else from the outside world.
#pragma once

namespace race {

struct Controls {
    bool throttle = false;
    bool boost = false;
    // -1 full left .. +1 full right; a key gives 1, a stick its deflection. Right wins when both are held.
    float turn = 0.0f;
    // -1 nose key down .. +1 nose key up, before the racer's own swap (R). Up wins when both are held.
    float pitch = 0.0f;
    // Presses: each counts once, in the update that reads it.
    bool togglePilot = false;
    bool swapNose = false;

    bool operator==(const Controls&) const = default;
};

} // namespace race
