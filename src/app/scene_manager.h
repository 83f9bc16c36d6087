// SceneManager: owns the current scene and switches scenes through a white fade-out and fade-in.
#pragma once

#include <cstdint>
#include <memory>

#include "scenes/scene_base.h"

class SceneManager {
public:
    static SceneManager& Instance();
    static void ResetInstance();

    // Deletes the current scene, builds the one of `id` (0 title, 1 race) and runs its Init.
    // Any other id leaves no scene.
    void ChangeScene(std::int32_t id);
    // The per-frame step: updates the scene unless a fade runs, and starts or completes a change.
    void Update();

    std::unique_ptr<SceneBase> scene;
    bool changePending = false;
    std::int32_t nextSceneId = 0;
};
