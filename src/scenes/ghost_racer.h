// GhostRacer: the keyboard racer's best race flown again, update by update, as a translucent copy of
// its model. It neither collides, counts nor takes a place, and it draws without glow.
#pragma once

#include <cstddef>
#include <memory>

#include "player/chara_base.h"
#include "records/ghost_file.h"

namespace SimpleLib {
class CMesh;
}
class Player;

class GhostRacer : public CharaBase {
public:
    // What a ghost keeps of the racer this update: where it is, how it is turned as drawn, and
    // how far its animation has played.
    static GhostFrame Capture(const Player& racer, float animationTime);

    // Takes the race to fly and loads the keyboard racer's model; an empty run shows nothing.
    void Begin(GhostRun flown);
    // Shows update `index` counted from "go"; past the last one the ghost is gone.
    void ShowUpdate(std::size_t index);
    bool Visible() const { return visible; }
    bool HasRun() const { return !run.frames.empty(); }

    void Init() override {}
    void Update() override {}
    void Draw() override;
    void Release() override;

private:
    void DrawBroom();

    GhostRun run;
    std::weak_ptr<SimpleLib::CMesh> broom;
    bool visible = false;
    float animationShown = 0;
    D3DXVECTOR3 position{0, 0, 0};
};
