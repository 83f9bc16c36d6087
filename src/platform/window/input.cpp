// Physical key table, the binding sets and the pads' shares behind GetAsyncKeyState.
#include "platform/window/input.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::size_t kKeys = 256;
using platform::input::kKeySets;
using platform::input::kPads;

struct BindingSet {
    std::array<bool, kKeys> bound{};
    std::array<std::vector<int>, kKeys> keys{};
};

std::array<bool, kKeys> physicalDown{};
std::array<std::uint32_t, kKeys> physicalPresses{};
std::array<std::array<float, kKeys>, kPads> padAmount{};
std::array<std::array<std::uint32_t, kKeys>, kPads> padPresses{};
std::array<bool, kPads> padConnected{};
std::array<BindingSet, kKeySets> sets{};

bool InRange(int key) { return key >= 0 && key < static_cast<int>(kKeys); }
bool ValidSet(int keySet) { return keySet >= 0 && keySet < kKeySets; }
bool ValidPad(int pad) { return pad >= 0 && pad < kPads; }

// The arrow keys move menus even when they fly something else.
int NavigationArrow(int key) {
    switch (key) {
    case VK_NAVIGATION_UP: return VK_UP;
    case VK_NAVIGATION_DOWN: return VK_DOWN;
    case VK_NAVIGATION_LEFT: return VK_LEFT;
    case VK_NAVIGATION_RIGHT: return VK_RIGHT;
    default: return 0;
    }
}

// Calls `each` with every physical key that holds a game key in a set. Set 1 falls back on the
// key's own code; the second set on one keyboard has only what is bound to it.
template <typename Each> void ForEachPhysicalKey(int keySet, int gameKey, Each each) {
    if (!ValidSet(keySet)) return;
    const BindingSet& set = sets[static_cast<std::size_t>(keySet)];
    if (keySet == 0) {
        if (int arrow = NavigationArrow(gameKey)) return each(arrow);
        if (!set.bound[gameKey]) return each(gameKey);
    }
    for (int key : set.keys[gameKey])
        if (InRange(key)) each(key);
}

bool HeldByKeyboard(int keySet, int gameKey) {
    bool held = false;
    ForEachPhysicalKey(keySet, gameKey, [&held](int key) { held = held || physicalDown[key]; });
    return held;
}

bool Listens(const platform::input::Source& source, int pad) { return (source.pads >> pad) & 1u; }
} // namespace

std::int16_t GetAsyncKeyState(int virtualKey) {
    return platform::input::KeyAmount(virtualKey) > 0.0f ? static_cast<std::int16_t>(0x8000) : 0;
}

namespace platform::input {
void SetKeyDown(int virtualKey, bool down) {
    if (!InRange(virtualKey)) return;
    if (down && !physicalDown[virtualKey]) ++physicalPresses[virtualKey];
    physicalDown[virtualKey] = down;
}

bool PhysicalKeyDown(int virtualKey) { return InRange(virtualKey) && physicalDown[virtualKey]; }

void ReleaseAllKeys() {
    physicalDown.fill(false);
    ClearPadKeys();
}

void BindKey(int gameKey, const std::vector<int>& physicalKeys) { BindKey(0, gameKey, physicalKeys); }

void BindKey(int keySet, int gameKey, const std::vector<int>& physicalKeys) {
    if (!InRange(gameKey) || !ValidSet(keySet)) return;
    BindingSet& set = sets[static_cast<std::size_t>(keySet)];
    set.keys[gameKey] = physicalKeys;
    set.bound[gameKey] = !physicalKeys.empty();
}

void ClearBindings() {
    for (BindingSet& set : sets) {
        set.bound.fill(false);
        for (auto& keys : set.keys) keys.clear();
    }
}

float KeyAmount(int gameKey) { return KeyAmount(Source{}, gameKey); }

float KeyAmount(const Source& source, int gameKey) {
    if (!InRange(gameKey)) return 0.0f;
    if (HeldByKeyboard(source.keySet, gameKey)) return 1.0f;
    float amount = 0.0f;
    for (int pad = 0; pad < kPads; ++pad)
        if (Listens(source, pad)) amount = std::max(amount, padAmount[pad][gameKey]);
    return amount;
}

void SetPadKey(int gameKey, float amount) { SetPadKey(0, gameKey, amount); }

void SetPadKey(int pad, int gameKey, float amount) {
    if (!InRange(gameKey) || !ValidPad(pad)) return;
    float& now = padAmount[pad][gameKey];
    const float clamped = std::clamp(amount, 0.0f, 1.0f);
    if (clamped > 0.0f && now == 0.0f) ++padPresses[pad][gameKey];
    now = clamped;
}

void ClearPadKeys() {
    for (int pad = 0; pad < kPads; ++pad) ClearPadKeys(pad);
}

void ClearPadKeys(int pad) {
    if (ValidPad(pad)) padAmount[pad].fill(0.0f);
}

void SetPadConnected(int pad, bool connected) {
    if (ValidPad(pad)) padConnected[pad] = connected;
}

bool PadConnected(int pad) { return ValidPad(pad) && padConnected[pad]; }

std::uint32_t KeyPresses(int gameKey) { return KeyPresses(Source{}, gameKey); }

std::uint32_t KeyPresses(const Source& source, int gameKey) {
    if (!InRange(gameKey)) return 0;
    std::uint32_t presses = 0;
    for (int pad = 0; pad < kPads; ++pad)
        if (Listens(source, pad)) presses += padPresses[pad][gameKey];
    ForEachPhysicalKey(source.keySet, gameKey, [&presses](int key) { presses += physicalPresses[key]; });
    return presses;
}
} // namespace platform::input
