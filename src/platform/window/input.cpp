// Physical key table, bindings and the pad's share behind GetAsyncKeyState.
#include "platform/window/input.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::size_t kKeys = 256;
std::array<bool, kKeys> physicalDown{};
std::array<std::uint32_t, kKeys> physicalPresses{};
std::array<float, kKeys> padAmount{};
std::array<std::uint32_t, kKeys> padPresses{};
std::array<bool, kKeys> bound{};
std::array<std::vector<int>, kKeys> bindings{};

bool InRange(int key) { return key >= 0 && key < static_cast<int>(kKeys); }

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

bool HeldByKeyboard(int gameKey) {
    if (int arrow = NavigationArrow(gameKey)) return physicalDown[arrow];
    if (!bound[gameKey]) return physicalDown[gameKey];
    return std::any_of(bindings[gameKey].begin(), bindings[gameKey].end(),
                       [](int key) { return InRange(key) && physicalDown[key]; });
}
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
    padAmount.fill(0.0f);
}

void BindKey(int gameKey, const std::vector<int>& physicalKeys) {
    if (!InRange(gameKey)) return;
    bindings[gameKey] = physicalKeys;
    bound[gameKey] = !physicalKeys.empty();
}

void ClearBindings() {
    bound.fill(false);
    for (auto& keys : bindings) keys.clear();
}

float KeyAmount(int gameKey) {
    if (!InRange(gameKey)) return 0.0f;
    if (HeldByKeyboard(gameKey)) return 1.0f;
    return padAmount[gameKey];
}

void SetPadKey(int gameKey, float amount) {
    if (!InRange(gameKey)) return;
    const float clamped = std::clamp(amount, 0.0f, 1.0f);
    if (clamped > 0.0f && padAmount[gameKey] == 0.0f) ++padPresses[gameKey];
    padAmount[gameKey] = clamped;
}

std::uint32_t KeyPresses(int gameKey) {
    if (!InRange(gameKey)) return 0;
    std::uint32_t presses = padPresses[gameKey];
    if (int arrow = NavigationArrow(gameKey)) return presses + physicalPresses[arrow];
    if (!bound[gameKey]) return presses + physicalPresses[gameKey];
    for (int key : bindings[gameKey])
        if (InRange(key)) presses += physicalPresses[key];
    return presses;
}

void ClearPadKeys() { padAmount.fill(0.0f); }
} // namespace platform::input
