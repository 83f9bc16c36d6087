// Title: the first scene — music, background, fog, logo, the blinking prompt and the frame rate.
#pragma once

#include <memory>

#include "scenes/controls_screen.h"
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
    // 1 starts the race, 0 stays.
    std::int32_t Update() override;
    void DrawWorld() override {}
    void Render() override;
    void Release() override;

    std::weak_ptr<SimpleLib::CTexture> background;
    std::weak_ptr<SimpleLib::CTexture> logo;
    std::weak_ptr<SimpleLib::CTexture> fog;
    PressEnterSprite pressEnter;
    ControlsScreen controls;
    OptionsScreen options;

private:
    void DrawFrameRate();
    void DrawHint();
    // F1 and O open their screens; true while one of them is open and takes the keys.
    bool UpdateScreens();

    ScreenText hint{24};

    // Left and Right step through the courses; the chosen one is shown under the logo.
    void ChooseCourse();
    void DrawCourse();

    std::weak_ptr<SimpleLib::CTexture> preview;
};
