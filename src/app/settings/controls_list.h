// The controls as bound now, for the controls screen and --help: one row per thing a player does.
#pragma once

#include <string>
#include <vector>

#include "app/settings/key_bindings.h"

struct ControlRow {
    std::string what;     // "Throttle"
    std::string keyboard; // "SPACE" or "SPACE, W"
    std::string second;   // keyboard set 2: "CTRL"
    std::string pad;      // "right trigger or A"
};

std::vector<ControlRow> ControlRows(const KeyBindings& bindings, const KeyBindings& second);
// The rows as aligned plain text, one per line.
std::string ControlsText(const KeyBindings& bindings, const KeyBindings& second);
