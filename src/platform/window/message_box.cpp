// Message boxes through SDL, or answered automatically for scripted and headless runs.
#include "platform/window/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <deque>

#include "platform/text/translation.h"

namespace {
platform::message_box::Mode mode = platform::message_box::Mode::Automatic;
std::deque<int> answers;
HWND mainWindow = nullptr;
std::function<void(const std::string&, const std::string&, int)> observer;

int DefaultAnswer(unsigned type) {
    if ((type & 0xF) == MB_YESNO) return (type & MB_DEFBUTTON2) ? IDNO : IDYES;
    return IDOK;
}

const char* AnswerName(int answer) {
    switch (answer) {
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "OK";
    }
}

int ShowWithSdl(HWND owner, const char* text, const char* caption, unsigned type) {
    bool yesNo = (type & 0xF) == MB_YESNO;
    SDL_MessageBoxButtonData buttons[2];
    int count = 0;
    if (yesNo) {
        bool noDefault = (type & MB_DEFBUTTON2) != 0;
        const Uint32 enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        const Uint32 escape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons[0] = {noDefault ? 0u : enter, IDYES, platform::text::Translate("Yes")};
        buttons[1] = {noDefault ? enter | escape : escape, IDNO, platform::text::Translate("No")};
        count = 2;
    } else {
        buttons[0] = {Uint32(SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT) | Uint32(SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT),
                      IDOK, "OK"};
        count = 1;
    }
    // A hidden window (the full-screen question comes before the window is shown) makes a poor
    // parent: some window managers keep a dialog of an unmapped window out of sight.
    auto* parent = static_cast<SDL_Window*>(owner);
    if (parent && (SDL_GetWindowFlags(parent) & SDL_WINDOW_SHOWN) == 0) parent = nullptr;
    Uint32 flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxData data{flags, parent, caption, text, count, buttons, nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) return DefaultAnswer(type);
    return pressed;
}
} // namespace

int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type) {
    text = text ? text : "";
    caption = caption ? caption : "";
    int answer;
    if (mode == platform::message_box::Mode::Automatic) {
        answer = DefaultAnswer(type);
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        std::fprintf(stderr, "[%s] %s -> %s\n", caption, text, AnswerName(answer));
    } else {
        answer = ShowWithSdl(platform::message_box::EffectiveOwner(owner), text, caption, type);
    }
    if (observer) observer(caption, text, answer);
    return answer;
}

namespace platform::message_box {
void SetMode(Mode m) { mode = m; }
Mode CurrentMode() { return mode; }
void SetMainWindow(HWND window) { mainWindow = window; }
void ForgetWindow(HWND window) {
    if (window && window == mainWindow) mainWindow = nullptr;
}
HWND EffectiveOwner(HWND owner) { return owner ? owner : mainWindow; }
void QueueAnswer(int answer) { answers.push_back(answer); }
void ClearAnswers() { answers.clear(); }
void SetObserver(std::function<void(const std::string&, const std::string&, int)> o) { observer = std::move(o); }
} // namespace platform::message_box
