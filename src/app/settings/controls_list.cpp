// The rows of the controls list: the eight actions as bound, then the keys that never move.
#include "app/settings/controls_list.h"

#include <algorithm>

namespace {
// The pad layout, in action order (it cannot be rebound).
const char* const kPadActions[] = {"right trigger or A",
                                   "left trigger or B",
                                   "left stick left",
                                   "left stick right",
                                   "left stick up",
                                   "left stick down",
                                   "X",
                                   "Y"};

std::string Spaced(std::string list) {
    std::string out;
    for (char c : list) out += c == ',' ? std::string(", ") : std::string(1, c);
    return out;
}
} // namespace

std::vector<ControlRow> ControlRows(const KeyBindings& bindings, const KeyBindings& second) {
    std::vector<ControlRow> rows;
    const auto& actions = GameActions();
    for (std::size_t i = 0; i < actions.size(); ++i)
        rows.push_back({actions[i].label, Spaced(bindings.KeyList(i)), Spaced(second.KeyList(i)), kPadActions[i]});
    rows.push_back({"Start, join / result: back to title", "RETURN", "TAB", "Start (to join: Start or A)"});
    rows.push_back({"Pause", "P", "2", "Start"});
    rows.push_back({"Leave (asks first)", "ESCAPE", "1", "Back"});
    rows.push_back({"Controls", "F1", "", ""});
    rows.push_back({"Options (title)", "O", "", ""});
    return rows;
}

std::string ControlsText(const KeyBindings& bindings, const KeyBindings& second) {
    std::vector<ControlRow> rows = ControlRows(bindings, second);
    std::size_t whatWidth = 0, keyWidth = 0, secondWidth = 0;
    for (const ControlRow& row : rows) {
        whatWidth = std::max(whatWidth, row.what.size());
        keyWidth = std::max(keyWidth, row.keyboard.size());
        secondWidth = std::max(secondWidth, row.second.size());
    }
    std::string text;
    for (const ControlRow& row : rows) {
        std::string line = "  " + row.what + std::string(whatWidth - row.what.size() + 2, ' ') + row.keyboard;
        if (!row.second.empty())
            line += std::string(keyWidth - row.keyboard.size() + 2, ' ') + "set 2: " + row.second +
                    std::string(secondWidth - row.second.size(), ' ');
        else if (!row.pad.empty()) line += std::string(keyWidth - row.keyboard.size() + 9 + secondWidth, ' ');
        if (!row.pad.empty()) line += "  pad: " + row.pad;
        text += line + "\n";
    }
    return text;
}
