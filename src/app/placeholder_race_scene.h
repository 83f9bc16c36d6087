// A stand-in for the race (scene id 1) until the race scene exists: a plain screen that Enter leaves.
#pragma once

#include "scenes/scene_base.h"

class PlaceholderRaceScene : public SceneBase {
public:
    PlaceholderRaceScene() { sceneId = 1; }

    void Init() override {}
    // Enter (shared latch) goes back to the title.
    std::int32_t Update() override;
    void DrawWorld() override {}
    void Render() override;
    void Release() override {}
};
