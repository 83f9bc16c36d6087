// Key-state table behind GetAsyncKeyState.
#include "platform/window/input.h"

#include <array>

namespace {
std::array<bool, 256> keyDown{};
}

std::int16_t GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= static_cast<int>(keyDown.size())) return 0;
    return keyDown[virtualKey] ? static_cast<std::int16_t>(0x8000) : 0;
}

namespace platform::input {
void SetKeyDown(int virtualKey, bool down) {
    if (virtualKey >= 0 && virtualKey < static_cast<int>(keyDown.size())) keyDown[virtualKey] = down;
}
void ReleaseAllKeys() { keyDown.fill(false); }
} // namespace platform::input
