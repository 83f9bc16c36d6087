// What the player can set: language, full screen, graphics level, volumes, key bindings, race options
// and the online race's.
// The defaults are the game as it starts without a settings file.
#pragma once

#include <string>
#include <vector>

#include "app/language.h"
#include "app/settings/key_bindings.h"
#include "race/difficulty.h"
#include "render/graphics_quality.h"

enum class FullScreenChoice { Ask, Yes, No };
using GraphicsLevel = GraphicsQuality;

struct Settings {
    Language language = Language::Auto;
    FullScreenChoice fullscreen = FullScreenChoice::Ask; // Ask: the start-up question
    GraphicsLevel graphics = GraphicsLevel::Full;
    int music = 100;   // percent
    int effects = 100; // percent
    KeyBindings keys;
    KeyBindings keys2{KeyBindings::kSecondSet}; // the second person's on the same keyboard
    Difficulty difficulty = Difficulty::Normal;
    bool ghost = true;
    bool hudExtras = false; // the race's HUD with the checkpoint counter, course map and gaps
    int inputDelay = 1;     // online: updates between reading a control and racing it (0..4)
    std::string lastJoin;   // the online race last joined, as HOST:PORT ("" none)
    std::string name;       // the name the others see online ("" : the user's name)

    bool operator==(const Settings&) const = default;
};

// The words the settings file and the options screen use for each choice, in enum order.
const std::vector<std::string>& FullScreenNames(); // ask yes no
const std::vector<std::string>& GraphicsNames();   // full fast low
const std::vector<std::string>& DifficultyNames(); // easy normal hard
const std::vector<std::string>& OnOffNames();      // off on
