// Player: one racer as the screen shows it — its model and broom, the effects that follow it (the
// trail of a computer racer; the arrow, circle and light balls of a person's racer) and the sparks
// its updates call for. The race itself lives in the race state; a Player follows it.
#pragma once

#include <memory>

#include "effects/effect_handle.h"
#include "player/chara_base.h"
#include "race/race_events.h"

namespace SimpleLib {
class CMesh;
}

class Player : public CharaBase {
public:
    static constexpr const char* kBroomModel = "data/XFile/houki.x";

    Player();
    ~Player() override;

    // Creates the effects that follow the racer: `racer` must already hold the racer's state.
    void Init() override;
    // The animation moves on by one update and the skeleton takes the drawn pose.
    void Update() override;
    void Draw() override;
    void Release() override;

    // After a race update: takes the racer's new state, sheds the sparks the update called for and
    // sets the circle under a person's racer, then moves the animation on.
    void Follow(const race::RacerState& now, const race::RacerFx& fx);

    std::weak_ptr<SimpleLib::CMesh> broom;
    D3DXMATRIX broomOffset = MatrixIdentity();
    EffectHandle trail;
    EffectHandle arrow;
    EffectHandle circle;
    // Online, a racer the machine's guesses put elsewhere is drawn this far from where the race now
    // has it, the gap closing over a few updates, so a correction glides instead of jumping. Drawing
    // only: the race never reads it.
    D3DXVECTOR3 drawShift{0, 0, 0};
    D3DXMATRIX DrawnMatrix() const;
    // The colour the model is drawn towards (rgb) and how far (a); zero leaves it as it is.
    D3DXVECTOR4 tint{0, 0, 0, 0};
};
