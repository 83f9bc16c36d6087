// The racer's eight actions and the physical keys bound to each.
//
// Every action is a game key the flight code reads (throttle is VK_SPACE, boost VK_SHIFT, …); a
// binding lists the physical keys that hold it. Enter, Escape, P (pause) and F1 (controls) keep
// their meanings and cannot be bound. No physical key may hold two actions.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct GameAction {
    const char* name;  // the settings-file key: "throttle"
    const char* label; // what screens show: "Throttle"
    int gameKey;       // the key the game reads
};

// throttle, boost, left, right, nose_up, nose_down, swap_pitch, autopilot, in that order.
const std::vector<GameAction>& GameActions();
std::optional<std::size_t> FindGameAction(const std::string& name);

class KeyBindings {
public:
    KeyBindings(); // every action on its own key

    const std::vector<int>& Keys(std::size_t action) const { return keys[action]; }
    // "SPACE,W"
    std::string KeyList(std::size_t action) const;
    void ResetToDefault(std::size_t action);
    // Sets an action's keys; false with the reason for an empty list or a key that cannot be bound.
    // Clashes with other actions are the caller's to check (ActionHolding).
    bool Set(std::size_t action, const std::vector<int>& newKeys, std::string* reason);
    // Binds one key to an action alone; the action that held it takes this action's first key.
    bool Rebind(std::size_t action, int key, std::string* reason);
    // The first action other than `except` that holds `key`.
    std::optional<std::size_t> ActionHolding(int key, std::optional<std::size_t> except = {}) const;
    // Pushes the bindings to the key state: from now on the bound keys hold the actions.
    void Apply() const;

    // "SPACE, W" into key codes; false with the reason.
    static bool ParseKeyList(const std::string& text, std::vector<int>* out, std::string* reason);
    // Why a key cannot be bound, or empty when it can.
    static std::string Reserved(int key);

    bool operator==(const KeyBindings&) const = default;

private:
    std::vector<std::vector<int>> keys; // per action
};
