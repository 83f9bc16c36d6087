// Game: the race scene — set-up, the race flow with its clock, the world's step order and drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/math/d3dx_math.h"
#include "scenes/camera.h"
#include "scenes/controls_screen.h"
#include "scenes/pause_screen.h"
#include "scenes/pilot_indicators.h"
#include "scenes/ghost_racer.h"
#include "scenes/press_enter_sprite.h"
#include "scenes/race_records.h"
#include "scenes/race_results.h"
#include "scenes/rank_display.h"
#include "scenes/result_board.h"
#include "scenes/scene_base.h"
#include "simplelib/mesh.h"

class BaseEffect;

class Game : public SceneBase {
public:
    Game();
    ~Game() override;

    void Init() override;
    // 1 to stay, 0 to go back to the title.
    std::int32_t Update() override;
    void DrawWorld() override;
    void Render() override;
    void Release() override;
    // raceStarted, cleared, rank, live effects, the clock, every racer and the ghost (game_trace.cpp).
    void WriteTrace(TraceWriter& trace) const override;

    // One result-screen frame of the darkening overlay: +2 up to 150.
    static std::int32_t NextDimAlpha(std::int32_t alpha);

    std::unique_ptr<Camera> camera;
    SimpleLib::CMesh sky;
    D3DXMATRIX skyScale = MatrixIdentity();
    BaseEffect* startEffect = nullptr;
    RankDisplay hud;
    PressEnterSprite pressEnter;
    bool raceStarted = false;
    bool cleared = false;
    std::int32_t dimAlpha = 0;
    // P (or the pad's Start) pauses; F1 shows the controls, which pauses too.
    bool paused = false;
    ControlsScreen controls;

    // The world stands still this frame: paused, the controls shown, or the Escape question open.
    bool Halted() const { return haltedAt.has_value(); }

    // Finishing times and splits, the saved best and its ghost, and the text that shows them.
    RaceResults results;
    RaceRecords records;
    GhostRacer ghost;
    ResultBoard board;
    // Space on the result screen races again; set at the finish so a throttle held over the line
    // does not count as a press.
    bool spaceLatch = false;

private:
    // Stops the race where it is; Resume lets it go on with the clock moved past the stop.
    void Halt();
    void Resume();
    // F1 and P during the race; true when the world stands still this frame.
    bool UpdatePause();
    void DrawOverlays();

    void SetUpView();
    void StartCountdown();
    bool AskReturnToTitle();
    void UpdateClock();
    void StepWorld();
    void FinishRace();
    void FollowRace();
    void DrawSky();
    void DrawGhost();
    void DrawRaceText();

    // The map has no checkpoint: there is no race to run, and the first Update returns to the title.
    bool noCourse = false;
    // The title has been asked for once already (the no-course path); wait for the fade to end.
    bool titleAsked = false;
    bool warmingUp = false;
    std::optional<std::uint32_t> haltedAt; // clock time when the race last stopped
    PauseScreen pauseScreen;
    PilotIndicators indicators;
    // World steps since Init: each racer's animation has played this many frames.
    std::uint32_t worldSteps = 0;

    // A course no racer can fly (a ring out of reach) would race for ever: after a minute of race
    // updates in which no racer passes a checkpoint, the player is offered the title.
    bool NoRacerPasses();
    bool AskTitleForStalledRace();
    std::uint32_t updatesWithoutPassage = 0;
    std::vector<std::int32_t> lastProgress;
};
