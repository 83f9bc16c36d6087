// SceneBase: the interface of the two scenes the scene manager switches between.
#pragma once

#include <cstdint>
#include <string>

#include "app/settings/settings_in_force.h"
#include "race/lineup.h"
#include "scenes/race_session.h"

class TraceWriter;

// The scene ids, as Update returns them and the scene manager builds them.
inline constexpr std::int32_t kTitleScene = 0;
inline constexpr std::int32_t kGameScene = 1;
inline constexpr std::int32_t kStandingsScene = 2;

// Where the races of a run get their seeds: the n-th race of the run gets the n-th seed of the run's
// base seed (--seed, or the clock), so a replay races the same races in the same order.
struct RaceSeeds {
    std::uint64_t base = 1;
    std::uint32_t racesStarted = 0;
    std::uint64_t Next();
};

// What a run checks of its races (--synctest: how many updates each update re-runs; 0 is off) and
// the first failure found, which ends the run with status 1.
struct RaceChecks {
    std::uint32_t synctest = 0;
    std::string failure;
};

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
    // One frame of what moves on screen by itself (fades, dims, blinking prompts): every frame the
    // scene is on screen, updated or not (a scene change's fade stops the updates), drawn or not.
    virtual void Animate() {}
    // The 3D pass, called from the scene's own Render.
    virtual void DrawWorld() = 0;
    // One whole picture: clear, begin, draw, end. Does not present; changes nothing but the picture.
    virtual void Render() = 0;
    virtual void Release() = 0;

    // Adds the scene's own fields to the per-frame automation trace; most scenes have none.
    virtual void WriteTrace(TraceWriter&) const {}

    // The people at the game: the shell's lineup, or the scene's own when it has none.
    race::Lineup& People() { return lineup ? *lineup : ownLineup; }
    const race::Lineup& People() const { return lineup ? *lineup : ownLineup; }
    // 1P, who answers the menus.
    race::Seat& Seat() { return People().At(0); }

    std::int32_t sceneId = 0;
    std::int32_t framesPerSecond = 0;
    // The owner of the scene's message boxes (the game window; null without one), set before Init.
    void* window = nullptr;
    // The settings in force, the shell's, set before Init as `window` is. A scene built on its own
    // (tests, tools) has the defaults, which it keeps to itself.
    SettingsInForce* settings = &ownSettings;
    // The shell's lineup and race seeds, set before Init (null in a scene built on its own).
    race::Lineup* lineup = nullptr;
    RaceSeeds* seeds = nullptr;
    RaceChecks* checks = nullptr;
    // The mode and the championship, the shell's like the settings; a scene built on its own keeps its own.
    RaceSession* session = &ownSession;
    // Set by the scene to end the program once the current frame is done.
    bool exitRequested = false;

private:
    SettingsInForce ownSettings{{}, "", "no settings file was handed to this scene"};
    race::Lineup ownLineup;
    RaceSession ownSession;
};
