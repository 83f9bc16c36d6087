// Title: the first scene — music, background, fog, logo, the blinking prompt and the frame rate.
#pragma once

#include <memory>

#include "map/course_list.h"
#include "scenes/controls_screen.h"
#include "scenes/online_lobby.h"
#include "scenes/options_screen.h"
#include "scenes/press_enter_sprite.h"
#include "scenes/scene_base.h"
#include "scenes/screen_text.h"
#include "simplelib/texture.h"

class Title : public SceneBase {
public:
    Title() { sceneId = kTitleScene; }
    ~Title() override;

    void Init() override;
    // 1 starts the race (in the mode chosen), 0 stays.
    std::int32_t Update() override;
    void DrawWorld() override {}
    void Render() override;
    void Release() override;
    // Who has joined, when anyone has ("people": ["keyboard", "pad 1"]); alone, nothing.
    void WriteTrace(TraceWriter& trace) const override;

    std::weak_ptr<SimpleLib::CTexture> background;
    std::weak_ptr<SimpleLib::CTexture> logo;
    std::weak_ptr<SimpleLib::CTexture> fog;
    PressEnterSprite pressEnter;
    ControlsScreen controls;
    OptionsScreen options;
    OnlineLobby lobby; // N: the Online screen

private:
    void DrawFrameRate();
    void DrawHint();
    // F1 and O open their screens; true while one of them is open and takes the keys.
    bool UpdateScreens();

    ScreenText hint{24};

public:
    // The two rows of choices: the mode, and under it the course (or, in the championship, whether
    // to go on with the one saved). Up and Down choose the row, Left and Right change it; the
    // course row is chosen at first, so Left and Right choose the course as they always have.
    enum class Row { Mode, Course };
    Row row = Row::Course;
    // Championship: go on with the saved one (when there is one) rather than start afresh.
    bool goOn = true;

private:
    void ChooseRow();
    void ChooseCourse();
    void ChooseMode(int step);
    // Enter in the championship: the one to race and its next course chosen.
    void PrepareChampionship();
    void DrawModes();
    void DrawOnlineKey();
    void DrawCourse();
    // Joining and leaving, and who has joined.
    void UpdateJoining();
    void DrawPeople();
    ScreenText peopleText{26, true};
    // The course shown under the modes: the chosen one, or the championship's next.
    const CourseEntry& ShownCourse() const;
    std::string CourseRowText() const;

    ScreenText modeText{30, true};
    std::weak_ptr<SimpleLib::CTexture> preview;
};
