// The options screen: rows of settings, edited in place in the settings in force.
#include "scenes/options_screen.h"

#include <algorithm>
#include <cstdio>

#include "map/map_manager.h"
#include "platform/window/input.h"
#include "platform/window/key_names.h"
#include "scenes/hud_glyphs.h"
#include "sound/sound_manager.h"
#include "render/graphics_device.h"

namespace {
// Rows: four above the keys, the actions, then two below.
constexpr std::size_t kFullScreenRow = 0, kGraphicsRow = 1, kMusicRow = 2, kEffectsRow = 3, kFirstKeyRow = 4;
constexpr int kVolumeStep = 10;
constexpr std::int32_t kDim = 170;
constexpr float kTop = 36.0f, kRowStep = 34.0f;
constexpr float kLabelColumn = 0.25f, kValueColumn = 0.56f;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kChosen = 0xFFFFE060;
constexpr D3DCOLOR kHeadingColour = 0xFFFFE9A0;
constexpr D3DCOLOR kHintColour = 0xFFA8C8FF;

std::size_t DifficultyRow() { return kFirstKeyRow + GameActions().size(); }
std::size_t GhostRow() { return DifficultyRow() + 1; }
std::size_t HudExtrasRow() { return GhostRow() + 1; }
bool IsKeyRow(std::size_t row) { return row >= kFirstKeyRow && row < DifficultyRow(); }

// Steps a choice of `count` values, wrapping round.
template <typename Enum> void Cycle(Enum* choice, int step, std::size_t count) {
    int next = (static_cast<int>(*choice) + step + static_cast<int>(count)) % static_cast<int>(count);
    *choice = static_cast<Enum>(next);
}

std::string Percent(int value) { return std::to_string(value) + " %"; }
} // namespace

void OptionsScreen::Open(SettingsInForce& settings) {
    inForce = &settings;
    open = true;
    waitingForKey = false;
    selected = 0;
    keySet = KeyBindings::kFirstSet;
    message.clear();
    atOpen = Current();
}

std::size_t OptionsScreen::RowCount() const { return HudExtrasRow() + 1; }

void OptionsScreen::Update(race::Seat& seat) {
    if (!open) return;
    // Every key is polled every frame so its latch follows it.
    const bool up = seat.Pressed(VK_NAVIGATION_UP), down = seat.Pressed(VK_NAVIGATION_DOWN);
    const bool left = seat.Pressed(VK_NAVIGATION_LEFT), right = seat.Pressed(VK_NAVIGATION_RIGHT);
    const bool enter = seat.Pressed(VK_RETURN), escape = seat.Pressed(VK_ESCAPE);
    if (waitingForKey) {
        if (escape) {
            waitingForKey = false;
            message.clear();
        } else {
            TakeKey();
        }
        return;
    }
    if (escape) return Leave();
    if (up || down) Move(up ? -1 : 1);
    if (left || right) Change(left ? -1 : 1);
    if (enter) {
        if (IsKeyRow(selected)) WaitForKey();
        else Change(1);
    }
}

void OptionsScreen::Move(int step) {
    const int count = static_cast<int>(RowCount());
    selected = static_cast<std::size_t>((static_cast<int>(selected) + step + count) % count);
    message.clear();
}

void OptionsScreen::Change(int step) {
    Settings& s = Current();
    // On a key row Left/Right turn between the two keyboard sets: the rows then show and bind that set.
    if (IsKeyRow(selected))
        keySet = keySet == KeyBindings::kFirstSet ? KeyBindings::kSecondSet : KeyBindings::kFirstSet;
    if (selected == kFullScreenRow) Cycle(&s.fullscreen, step, FullScreenNames().size());
    if (selected == kGraphicsRow) Cycle(&s.graphics, step, GraphicsNames().size());
    if (selected == DifficultyRow()) Cycle(&s.difficulty, step, DifficultyNames().size());
    if (selected == GhostRow()) s.ghost = !s.ghost;
    if (selected == HudExtrasRow()) s.hudExtras = !s.hudExtras;
    if (selected == kMusicRow) s.music = std::clamp(s.music + step * kVolumeStep, 0, 100);
    if (selected == kEffectsRow) s.effects = std::clamp(s.effects + step * kVolumeStep, 0, 100);
    if (selected == kMusicRow || selected == kEffectsRow) SoundManager::Instance().SetVolumes(s.music, s.effects);
}

void OptionsScreen::WaitForKey() {
    waitingForKey = true;
    keysHeldBefore.clear();
    for (int key : platform::input::NamedKeys()) keysHeldBefore.push_back(platform::input::PhysicalKeyDown(key));
    const GameAction& action = GameActions()[selected - kFirstKeyRow];
    message = std::string("Press the new key for ") + SetPrefix() + action.label + "   (Escape: keep " +
              Bindings().KeyList(selected - kFirstKeyRow) + ")";
}

// The first key pressed since the last frame becomes the action's key.
void OptionsScreen::TakeKey() {
    const std::vector<int>& keys = platform::input::NamedKeys();
    int pressed = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool held = platform::input::PhysicalKeyDown(keys[i]);
        if (held && !keysHeldBefore[i] && pressed == 0 && keys[i] != VK_ESCAPE) pressed = keys[i];
        keysHeldBefore[i] = held;
    }
    if (pressed == 0) return;
    std::string reason;
    KeyBindings& bindings = Bindings();
    const std::size_t action = selected - kFirstKeyRow;
    // Set 1 wins a key both sets name, so a set-1 key bound in set 2 would do nothing there.
    if (keySet == KeyBindings::kSecondSet && Current().keys.ActionHolding(pressed)) {
        message = platform::input::KeyName(pressed) + " is a key of keyboard set 1";
        return;
    }
    if (!bindings.Rebind(action, pressed, &reason)) {
        message = reason;
        return;
    }
    ApplyKeySets(Current().keys, Current().keys2);
    waitingForKey = false;
    message.clear();
}

// The choices made here are in force already; the file gets only what changed while the screen was open.
void OptionsScreen::Leave() {
    open = false;
    std::string problem;
    if (!inForce->SaveChanges(atOpen, &problem)) std::fprintf(stderr, "settings: %s\n", problem.c_str());
}

KeyBindings& OptionsScreen::Bindings() const {
    return keySet == KeyBindings::kSecondSet ? Current().keys2 : Current().keys;
}

std::string OptionsScreen::SetPrefix() const { return keySet == KeyBindings::kSecondSet ? "2P: " : ""; }

std::string OptionsScreen::Label(std::size_t row) const {
    if (row == kFullScreenRow) return "Full screen";
    if (row == kGraphicsRow) return "Graphics";
    if (row == kMusicRow) return "Music volume";
    if (row == kEffectsRow) return "Effects volume";
    if (IsKeyRow(row)) return GameActions()[row - kFirstKeyRow].label;
    if (row == DifficultyRow()) return "Difficulty";
    if (row == GhostRow()) return "Ghost";
    return "Race HUD extras";
}

std::string OptionsScreen::Value(std::size_t row) const {
    const Settings& s = Current();
    if (row == kFullScreenRow) return FullScreenNames()[static_cast<std::size_t>(s.fullscreen)] + "   (next start)";
    if (row == kGraphicsRow) return GraphicsNames()[static_cast<std::size_t>(s.graphics)];
    if (row == kMusicRow) return Percent(s.music);
    if (row == kEffectsRow) return Percent(s.effects);
    if (IsKeyRow(row)) {
        if (waitingForKey && row == selected) return "...";
        std::string list = Bindings().KeyList(row - kFirstKeyRow);
        std::replace(list.begin(), list.end(), ',', ' ');
        return SetPrefix() + list;
    }
    if (row == DifficultyRow()) return DifficultyNames()[static_cast<std::size_t>(s.difficulty)];
    if (row == HudExtrasRow()) return OnOffNames()[s.hudExtras ? 1 : 0] + "   (map, checkpoints, gaps)";
    return OnOffNames()[s.ghost ? 1 : 0];
}

void OptionsScreen::Draw() {
    if (!open) return;
    MapManager::Instance().DrawDim(kDim);
    const float w = ScreenWidth();
    heading.DrawCentred("OPTIONS", w * 0.5f, kTop, kHeadingColour);
    float y = kTop + 76.0f;
    for (std::size_t row = 0; row < RowCount(); ++row) {
        const D3DCOLOR colour = row == selected ? kChosen : kWhite;
        if (row == selected) body.Draw(">", w * kLabelColumn - 30.0f, y, colour);
        body.Draw(Label(row), w * kLabelColumn, y, colour);
        body.Draw(Value(row), w * kValueColumn, y, colour);
        y += kRowStep;
    }
    hint.DrawCentred("Up/Down: choose    Left/Right: change (keys: set 1 or 2)    Enter: new key    "
                     "Escape: save and leave",
                     w * 0.5f, y + 14.0f, kHintColour);
    if (!message.empty()) body.DrawCentred(message, w * 0.5f, y + 46.0f, kChosen);
}
