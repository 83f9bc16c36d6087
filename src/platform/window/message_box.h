// Modal Yes/No and OK message boxes.
//
// Stands in for: MessageBoxA. Texts are UTF-8. Shown through SDL when a display is available;
// in automated runs the answer comes from the scripted answer queue (or the default button) and
// every box is echoed to stderr as "[caption] text -> answer". A box is shown over its owner window;
// a box without one (services that have no window at hand) is owned by the game's window once that
// exists, so that in full screen it comes up in front of the game rather than behind it.
// Does not: icons beyond the style bits being accepted, owner-window modality rules of Win32.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

using HWND = void*; // the SDL_Window* that owns the box

int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type);

namespace platform::message_box {
enum class Mode {
    Interactive, // real dialog through SDL
    Automatic,   // scripted answer or default button, echoed to stderr
};
void SetMode(Mode mode);
Mode CurrentMode();
// The window that owns boxes opened without an owner; the window module sets it on creation and
// clears it on destruction, so a box never refers to a destroyed window.
void SetMainWindow(HWND window);
void ForgetWindow(HWND window);
// The window a box opened with `owner` is shown over (null: none).
HWND EffectiveOwner(HWND owner);
// A scripted answer for the next box (IDYES/IDNO/IDOK); boxes without one take the default button.
void QueueAnswer(int answer);
void ClearAnswers();
// Observer for tests: called with caption, text and the answer given.
void SetObserver(std::function<void(const std::string&, const std::string&, int)> observer);
} // namespace platform::message_box
