// The options screen over the darkened title: full screen, graphics level, music and effects
// volume, the eight key bindings, difficulty, the ghost and the race's HUD extras. Up/Down choose
// a row, Left/Right change it (volumes at once; on a key row, which keyboard set the rows show),
// Enter waits for a new key for an action (a key another action of the set holds is swapped),
// Escape leaves and saves what changed to the settings file.
#pragma once

#include "race/seat.h"

#include <cstddef>
#include <string>
#include <vector>

#include "app/settings/settings_in_force.h"
#include "scenes/screen_text.h"

class OptionsScreen {
public:
    // Shows and edits `settings` (the settings in force) until Escape.
    void Open(SettingsInForce& settings);
    bool IsOpen() const { return open; }
    // One frame of keys (the navigation keys, Enter and Escape, each through its latch).
    void Update(race::Seat& seat);
    // Inside the scene's sprite batch.
    void Draw();

    std::size_t Selected() const { return selected; }
    bool WaitingForKey() const { return waitingForKey; }

private:
    void Move(int step);
    void Change(int step);
    void WaitForKey();
    void TakeKey();
    void Leave();
    std::string Label(std::size_t row) const;
    std::string Value(std::size_t row) const;
    std::size_t RowCount() const;
    Settings& Current() const { return inForce->values; }
    KeyBindings& Bindings() const; // of the keyboard set the key rows show
    std::string SetPrefix() const;

    SettingsInForce* inForce = nullptr; // while open
    bool open = false;
    bool waitingForKey = false;
    std::size_t selected = 0;
    int keySet = KeyBindings::kFirstSet;
    Settings atOpen;                  // to tell whether anything changed
    std::vector<bool> keysHeldBefore; // physical keys held when the last frame looked
    std::string message;
    ScreenText heading{44};
    ScreenText body{26};
    ScreenText hint{21};
};
