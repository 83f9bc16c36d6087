// Game: the race scene — it sets up the course and the race value, steps the race once an update
// with the seat's controls, and shows it: sounds, effects, camera, HUD and the result screen.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "effects/effect_handle.h"
#include "map/check_point.h"
#include "platform/math/d3dx_math.h"
#include "race/course.h"
#include "race/difficulty.h"
#include "race/lineup.h"
#include "race/step.h"
#include "race/race_events.h"
#include "race/race_state.h"
#include "race/sync_test.h"
#include "scenes/camera.h"
#include "scenes/controls_screen.h"
#include "scenes/ghost_racer.h"
#include "scenes/pause_screen.h"
#include "scenes/pilot_indicators.h"
#include "scenes/press_enter_sprite.h"
#include "scenes/race_hud_extras.h"
#include "scenes/race_records.h"
#include "scenes/racer_labels.h"
#include "scenes/race_results.h"
#include "scenes/race_timer.h"
#include "scenes/rank_display.h"
#include "scenes/result_board.h"
#include "scenes/scene_base.h"
#include "scenes/screen_text.h"
#include "simplelib/mesh.h"

class Player;
namespace net {
class NetRace;
}

class Game : public SceneBase {
public:
    Game();
    ~Game() override;

    void Init() override;
    // 1 to stay, 0 to go back to the title.
    std::int32_t Update() override;
    // The result screen's dim, clock and place fading in, and its blinking prompt.
    void Animate() override;
    void DrawWorld() override;
    void Render() override;
    void Release() override;
    // raceStarted, cleared, rank, live effects, the clock, every racer, the ghost and the race
    // state's hash (game_trace.cpp).
    void WriteTrace(TraceWriter& trace) const override;

    // One result-screen frame of the darkening overlay: +2 up to 150.
    static std::int32_t NextDimAlpha(std::int32_t alpha);

    // The person's racer on the grid (-1 when the course has no race), its state and its view; with
    // several people, 1P's; online, this machine's seat.
    std::int32_t Person() const { return race.RacerOfSeat(personSeat); }
    const race::RacerState* PersonRacer() const;
    Player* PersonView() const;

    // What decides the race: the course, built once, and the race state, stepped once an update.
    race::Course course;
    race::RaceState race;

    std::unique_ptr<Camera> camera;
    SimpleLib::CMesh sky;
    D3DXMATRIX skyScale = MatrixIdentity();
    EffectHandle startEffect;
    RankDisplay hud;
    RaceTimer timer;
    PressEnterSprite pressEnter;
    bool cleared = false;
    std::int32_t dimAlpha = 0;
    // P (or the pad's Start) pauses; F1 shows the controls, which pauses too.
    bool paused = false;
    ControlsScreen controls;

    // The race stands still this frame: paused, the controls shown, or the Escape question open.
    bool Halted() const { return halted; }

    // Finishing times and splits, the saved best and its ghost, and the text that shows them.
    RaceResults results;
    RaceRecords records;
    GhostRacer ghost;
    ResultBoard board;

    // The mode of this race (the session's), the rivals' identities where they have them, and
    // what the racers go by on screen.
    RaceMode mode = RaceMode::Race;
    RivalSet rivals;
    std::vector<RacerLabel> labels;
    // The checkpoint counter, course map and gaps: always in the new modes, by choice in the race.
    RaceHudExtras extras;
    bool showExtras = false;
    // Championship: the order the points were given for at the person's finish, and the points.
    std::vector<RaceResults::Standing> scoredOrder;
    std::vector<std::int32_t> pointsWon;

    // ---- people sharing the screen (game_seats.cpp) ----
    // How many people race, 1P to 4P, each on their own seat, racer, camera and view.
    std::size_t seatCount = 1;
    bool Shared() const { return seatCount > 1; }
    // The camera of a person's view (1P's is `camera`).
    Camera* CameraOf(std::size_t seat) const { return seat == 0 ? camera.get() : otherCameras[seat - 1].get(); }
    // A person's view on the screen, in pixels of the back buffer: one above the other for two,
    // quarters for three and four.
    static RECT ViewArea(std::size_t seat, std::size_t seats, float width, float height);
    // The seat whose pad is out, its racer handed to the automatic pilot until the pad is back.
    std::array<bool, race::Lineup::kMostSeats> handedOver{};

private:
    // Stops the race where it is; Resume lets it go on (unless the pause or the controls still hold it).
    void Halt() { halted = true; }
    void Resume();
    // F1 and P during the race; true when the race stands still this frame.
    bool UpdatePause();
    void DrawOverlays();

    void SetUpView();
    void StartCountdown();
    // An online race (online_race.cpp): agreeing on the race with the other machines, stepping it
    // through the rollback session, what the others did, and the trace's `net`.
    bool BeginOnline(std::uint64_t* seed, Difficulty* level, race::Grid* grid);
    bool StepOnline(race::RaceEvents* events);
    void DrawNotice();
    void WriteNetTrace(TraceWriter& trace) const;
    net::NetRace* online = nullptr;
    std::int32_t personSeat = 0; // the seat this machine's person flies (0 offline)
    std::string onlineOver;      // why the online race ended before its time
    bool onlineOverTold = false; // its message box was shown
    // Taps read on frames that stepped no update (waiting for the others), for the next update.
    bool tappedPilot = false, tappedSwap = false;
    // Each racer's gap between where it was drawn and where a correction put it (online_race.cpp).
    void SmoothCorrections();
    std::array<D3DXVECTOR3, race::RaceState::kMostRacers> drawShifts{};
    std::string noticeText; // "Bo left", shown for a few seconds
    std::uint32_t noticeFrames = 0;
    ScreenText notice{28, true};
    bool AskReturnToTitle();
    // Online, Escape's question is asked on the race's own screen and the race goes on under it
    // (stepping, sending, hearing: the others must not wait for this machine): Y or Enter leaves,
    // N or Escape races on. True when the person chose to leave.
    bool AskLeaveOnline();
    void DrawLeaveQuestion();
    bool leaveAsked = false;
    ScreenText questionText{34, true};
    // One update of the race: the seats' controls in, the step, then everything that shows it; false
    // when no update was due (an online race waiting for the others).
    bool StepRace();
    // The race stepped here alone, with the seat's controls (and --synctest's check).
    race::RaceEvents StepHere();
    void ShowEvents(const race::RaceEvents& events);
    // Each seat's boost loops on a copy of its own; leaving the race stops them all.
    void StopBoostSounds();
    void FollowWithCamera();
    void FinishRace();
    void FollowRace();
    void DrawSky();
    void DrawGhost();
    void DrawRaceText();

    // game_seats.cpp: each person's controls (a pad that is out hands its racer to the automatic
    // pilot and takes it back when it returns); the first person who pressed `key` this frame
    // (every seat's press is taken); whether every person has finished; the views and their HUDs.
    void ReadSeats(std::span<race::Controls> steering);
    std::optional<std::size_t> AnyonePressed(int key);
    bool PeopleFinished() const;
    // The seats playing at this screen, one bit each.
    std::uint32_t OwnSeats() const;
    void CreateOtherCameras();
    void FollowWithOtherCameras();
    void ObserveOtherSplits();
    void RenderViews();
    void DrawViewWorld(std::size_t seat, const RECT& area);
    void DrawViewHud(std::size_t seat, const RECT& area);
    void DrawSpareQuarter(const RECT& area);
    void DrawSharedHud();
    std::array<std::unique_ptr<Camera>, race::Lineup::kMostSeats - 1> otherCameras;
    // The racer whose view is being drawn (the sky stays round it); -1: the person's.
    std::int32_t viewRacer = -1;
    std::array<RaceResults, race::Lineup::kMostSeats - 1> otherSplits;
    // 2P to 4P's checkpoint colours, each fading toward their own next checkpoint as 1P's do (1P's
    // are the checkpoints' own), in the course's checkpoint order.
    std::array<std::vector<CheckPointColour>, race::Lineup::kMostSeats - 1> otherCheckPointColours;
    void ColourCheckPointsForView(std::size_t seat, std::int32_t next);
    ScreenText viewTag{44, true};

    // The modes (game_modes.cpp): who is on the grid, at which level, how they look, what the HUD
    // adds, and the championship's points at the person's finish.
    Difficulty RaceLevel() const;
    race::Grid ModeGrid() const;
    void SetUpMode(Difficulty level);
    void ScoreChampionshipRace();
    // The extras for `racer`'s view (the person's, alone).
    void DrawModeHud(std::int32_t racer);
    // The mode's extras alone (the checkpoint counter, map and gaps) for `racer`, when shown.
    void DrawExtras(std::int32_t racer);
    std::string RecordLabel() const;
    ScreenText modeTag{28, true};

    // The map has no checkpoint: there is no race to run, and the first Update returns to the title.
    bool noCourse = false;
    // The title has been asked for once already (the no-course path); wait for the fade to end.
    bool titleAsked = false;
    bool warmingUp = false;
    bool halted = false;
    PauseScreen pauseScreen;
    PilotIndicators indicators;
    // --synctest: every update is stepped again from a saved state and compared.
    std::unique_ptr<race::SyncTest> syncTest;
    // Race updates since Init: each racer's animation has played this many updates.
    std::uint32_t worldSteps = 0;

    // A course no racer can fly (a ring out of reach) would race for ever: after a minute of race
    // updates in which no racer passes a checkpoint, the player is offered the title.
    bool NoRacerPasses();
    bool AskTitleForStalledRace();
    std::uint32_t updatesWithoutPassage = 0;
    std::vector<std::int32_t> lastProgress;
};
