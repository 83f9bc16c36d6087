// SceneBase: the interface of the two scenes the scene manager switches between.
#pragma once

#include <cstdint>

#include "app/settings/settings_in_force.h"

class TraceWriter;

// The scene ids, as Update returns them and the scene manager builds them.
inline constexpr std::int32_t kTitleScene = 0;
inline constexpr std::int32_t kGameScene = 1;

class SceneBase {
public:
    SceneBase() = default;
    SceneBase(const SceneBase&) = delete; // `settings` may point into the scene itself
    SceneBase& operator=(const SceneBase&) = delete;
    virtual ~SceneBase() = default;

    // Loads the scene's resources and sets its start state; called once, right after construction.
    virtual void Init() = 0;
    // From Update: build this same scene anew, through the usual fade.
    static constexpr std::int32_t kAgain = -1;

    // One step of logic; returns the id of the scene wanted next (its own sceneId to stay, kAgain
    // to start it over).
    virtual std::int32_t Update() = 0;
    // The 3D pass, called from the scene's own Render.
    virtual void DrawWorld() = 0;
    // One whole frame: clear, begin, draw, end. Does not present.
    virtual void Render() = 0;
    virtual void Release() = 0;

    // Adds the scene's own fields to the per-frame automation trace; most scenes have none.
    virtual void WriteTrace(TraceWriter&) const {}

    std::int32_t sceneId = 0;
    std::int32_t framesPerSecond = 0;
    // The owner of the scene's message boxes (the game window; null without one), set before Init.
    void* window = nullptr;
    // The settings in force, the shell's, set before Init as `window` is. A scene built on its own
    // (tests, tools) has the defaults, which it keeps to itself.
    SettingsInForce* settings = &ownSettings;
    // Set by the scene to end the program once the current frame is done.
    bool exitRequested = false;

private:
    SettingsInForce ownSettings{{}, "", "no settings file was handed to this scene"};
};
