// The racer's eight actions and the physical keys bound to each, in one of the keyboard's two sets.
//
// Every action is a game key the flight code reads (throttle is VK_SPACE, boost VK_SHIFT, …); a
// binding lists the physical keys that hold it. In set 1, Enter, Escape, P (pause) and F1
// (controls) keep their meanings and cannot be bound. Set 2 is a second person's on the same
// keyboard, on its left side: W, S, A, D fly it, Ctrl throttles (a modifier, wired apart from the
// letters, so holding it never stops a letter from being read), Q boosts, E swaps the nose and Z
// calls the automatic pilot; its Enter is Tab, its Escape 1 and its pause 2, which cannot be bound
// there. No physical key may hold two actions of one set; a key both sets hold stays set 1's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
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
    static constexpr int kFirstSet = 0, kSecondSet = 1;
    // Every action on its default key of the set.
    KeyBindings() : KeyBindings(kFirstSet) {}
    explicit KeyBindings(int keySet);

    int KeySet() const { return keySet; }

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
    // Pushes the bindings to the key state: from now on the bound keys hold the actions of the set
    // (and, in set 2, its own Enter, Escape and pause keys).
    void Apply() const;

    // "SPACE, W" into key codes; false with the reason.
    static bool ParseKeyList(const std::string& text, std::vector<int>* out, std::string* reason);
    // Why a key cannot be bound in this set, or empty when it can.
    std::string Reserved(int key) const;
    // The keys of set 2 that stand for Enter, Escape and the pause: (game key, physical key).
    static const std::vector<std::pair<int, int>>& SecondSetFixedKeys();

    bool operator==(const KeyBindings&) const = default;

private:
    int keySet = kFirstSet;
    std::vector<std::vector<int>> keys; // per action
};

// Both sets into the key state; a key set 1 holds is left out of set 2.
void ApplyKeySets(const KeyBindings& first, const KeyBindings& second);
