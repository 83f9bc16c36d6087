// SceneManager: owns the current scene and switches scenes through a white fade-out and fade-in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/scene_factory.h"
#include "scenes/scene_base.h"

class SceneManager {
public:
    static SceneManager& Instance();
    static void ResetInstance();

    // Deletes the current scene, builds the one of `id` (kTitleScene, kGameScene), hands it the
    // window, the settings, the lineup and the race seeds and runs its Init. Any other id leaves no scene.
    void ChangeScene(std::int32_t id);
    // The per-frame step: updates the scene unless a fade runs, and starts or completes a change.
    void Update();
    // The per-frame step of what moves on screen by itself: the scene change's white fade and the
    // scene's own fades, whether or not this frame's picture is drawn.
    void Animate();

    std::unique_ptr<SceneBase> scene;
    bool changePending = false;
    std::int32_t nextSceneId = kTitleScene;
    void* window = nullptr;              // the owner of the scenes' message boxes
    SettingsInForce* settings = nullptr; // the shell's, handed to every scene; null: each keeps its own
    race::Lineup* lineup = nullptr;
    RaceSeeds* seeds = nullptr;
    RaceChecks* checks = nullptr;
    RaceSession* session = nullptr; // the shell's; null: each scene keeps its own
    // Builds the scene of an id; tests put scenes of their own here.
    std::function<std::unique_ptr<SceneBase>(std::int32_t)> factory = CreateScene;
};
