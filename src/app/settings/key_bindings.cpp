// Actions, their default keys, and rebinding with swaps.
#include "app/settings/key_bindings.h"

#include <algorithm>
#include <sstream>

#include "platform/window/input.h"
#include "platform/window/key_names.h"

namespace {
constexpr int kPauseKey = 'P';
// Set 2's keys by action, in GameActions' order.
constexpr int kSecondSetDefaults[] = {VK_CONTROL, 'Q', 'A', 'D', 'W', 'S', 'E', 'Z'};
} // namespace

const std::vector<GameAction>& GameActions() {
    static const std::vector<GameAction> actions = {
        {"throttle", "Throttle", VK_SPACE},
        {"boost", "Boost", VK_SHIFT},
        {"left", "Turn left", VK_LEFT},
        {"right", "Turn right", VK_RIGHT},
        {"nose_up", "Nose up", VK_UP},
        {"nose_down", "Nose down", VK_DOWN},
        {"swap_pitch", "Swap nose up/down", 'R'},
        {"autopilot", "Automatic pilot", 'C'},
    };
    return actions;
}

std::optional<std::size_t> FindGameAction(const std::string& name) {
    const auto& actions = GameActions();
    for (std::size_t i = 0; i < actions.size(); ++i)
        if (name == actions[i].name) return i;
    return std::nullopt;
}

KeyBindings::KeyBindings(int set) : keySet(set == kSecondSet ? kSecondSet : kFirstSet) {
    for (std::size_t i = 0; i < GameActions().size(); ++i) keys.push_back({});
    for (std::size_t i = 0; i < GameActions().size(); ++i) ResetToDefault(i);
}

const std::vector<std::pair<int, int>>& KeyBindings::SecondSetFixedKeys() {
    static const std::vector<std::pair<int, int>> fixed = {{VK_RETURN, VK_TAB}, {VK_ESCAPE, '1'}, {kPauseKey, '2'}};
    return fixed;
}

std::string KeyBindings::KeyList(std::size_t action) const {
    std::string text;
    for (int key : keys[action]) text += (text.empty() ? "" : ",") + platform::input::KeyName(key);
    return text;
}

void KeyBindings::ResetToDefault(std::size_t action) {
    keys[action] = {keySet == kSecondSet ? kSecondSetDefaults[action] : GameActions()[action].gameKey};
}

std::string KeyBindings::Reserved(int key) const {
    if (keySet == kSecondSet) {
        for (const auto& [gameKey, physical] : SecondSetFixedKeys()) {
            if (physical != key) continue;
            return gameKey == VK_RETURN ? "set 2's Enter" : gameKey == VK_ESCAPE ? "set 2's Escape" : "set 2's pause";
        }
    }
    switch (key) {
    case VK_RETURN: return "Enter keeps its meaning";
    case VK_ESCAPE: return "Escape keeps its meaning";
    case kPauseKey: return "P pauses the race";
    case VK_F1: return "F1 shows the controls";
    default: return platform::input::KeyName(key).empty() ? "not a key the game can read" : "";
    }
}

bool KeyBindings::Set(std::size_t action, const std::vector<int>& newKeys, std::string* reason) {
    if (newKeys.empty()) return *reason = "no key given", false;
    for (int key : newKeys) {
        std::string why = Reserved(key);
        if (!why.empty()) return *reason = platform::input::KeyName(key) + " cannot be bound (" + why + ")", false;
    }
    std::vector<int> unique;
    for (int key : newKeys)
        if (std::find(unique.begin(), unique.end(), key) == unique.end()) unique.push_back(key);
    keys[action] = unique;
    return true;
}

bool KeyBindings::Rebind(std::size_t action, int key, std::string* reason) {
    const int given = keys[action].front();
    std::optional<std::size_t> other = ActionHolding(key, action);
    if (!Set(action, {key}, reason)) return false;
    // The other action takes the key this one gave up, so every action keeps a key.
    if (other) std::replace(keys[*other].begin(), keys[*other].end(), key, given);
    return true;
}

std::optional<std::size_t> KeyBindings::ActionHolding(int key, std::optional<std::size_t> except) const {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (except && *except == i) continue;
        if (std::find(keys[i].begin(), keys[i].end(), key) != keys[i].end()) return i;
    }
    return std::nullopt;
}

void KeyBindings::Apply() const {
    const auto& actions = GameActions();
    for (std::size_t i = 0; i < actions.size(); ++i) platform::input::BindKey(keySet, actions[i].gameKey, keys[i]);
    if (keySet != kSecondSet) return;
    for (const auto& [gameKey, physical] : SecondSetFixedKeys()) platform::input::BindKey(keySet, gameKey, {physical});
}

void ApplyKeySets(const KeyBindings& first, const KeyBindings& second) {
    first.Apply();
    second.Apply();
    const auto& actions = GameActions();
    for (std::size_t i = 0; i < actions.size(); ++i) {
        std::vector<int> own;
        for (int key : second.Keys(i))
            if (!first.ActionHolding(key)) own.push_back(key);
        platform::input::BindKey(second.KeySet(), actions[i].gameKey, own);
    }
}

bool KeyBindings::ParseKeyList(const std::string& text, std::vector<int>* out, std::string* reason) {
    out->clear();
    std::size_t end = text.find_last_not_of(" \t");
    if (end != std::string::npos && text[end] == ',') return *reason = "an empty key name", false;
    std::istringstream parts(text);
    for (std::string part; std::getline(parts, part, ',');) {
        std::size_t first = part.find_first_not_of(" \t"), last = part.find_last_not_of(" \t");
        std::string name = first == std::string::npos ? "" : part.substr(first, last - first + 1);
        int key = platform::input::KeyFromName(name);
        if (key == 0) return *reason = name.empty() ? "an empty key name" : "unknown key name '" + name + "'", false;
        out->push_back(key);
    }
    if (out->empty()) return *reason = "no key given", false;
    return true;
}
