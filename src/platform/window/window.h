// The game's one window and its message pump.
//
// Stands in for: RegisterClassEx/CreateWindowEx/MoveWindow (client fit), ShowWindow, ShowCursor,
// GetClientRect and PeekMessage/DispatchMessage. SDL sizes windows by their client area, so the
// client is exactly the size asked for without any fitting. The window may be resized or maximised;
// the picture keeps its own size and is fitted into whatever the window is (platform/window/letterbox.h).
// The pump turns SDL events into the few window messages the game's window procedure handles; key
// events update the key state (platform/window/input.h) on the way and reach the procedure as WM_NULL.
// Does not: several windows, text input, mouse input beyond the wheel message.
#pragma once

#include <cstdint>
#include <string>

namespace platform::window {

inline constexpr unsigned WM_NULL = 0x0000;
inline constexpr unsigned WM_SIZE = 0x0005;
inline constexpr unsigned WM_CLOSE = 0x0010;
inline constexpr unsigned WM_MOUSEWHEEL = 0x020A;

struct Message {
    void* window = nullptr; // the SDL_Window* the event belongs to (null for process-wide events)
    unsigned message = WM_NULL;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Starts SDL's video subsystem (the display connection). Fails with SDL's reason when there is
// no display.
bool InitVideo(std::string* error);
bool VideoStarted();
void QuitVideo();

// One top-level window, created hidden, resizable, ready for an OpenGL context.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() { Destroy(); }

    bool Create(const char* title, int clientWidth, int clientHeight, std::string* error);
    void Destroy();
    // Full screen covering the whole display at the desktop's own resolution (no mode change), even
    // where no window manager is running to honour the request; false restores the window's size.
    bool SetFullScreen(bool fullScreen, std::string* error);
    void Show();
    void* Handle() const { return handle; }

private:
    void* handle = nullptr; // SDL_Window*
    int windowedWidth = 0, windowedHeight = 0;
};

// Client-area size of a window; false for an unknown handle.
bool GetClientSize(void* window, std::int32_t* width, std::int32_t* height);
// Hides (false) or shows the mouse cursor over the game's windows.
void ShowCursor(bool show);
// Takes one pending event off the queue. Returns false when the queue is empty or video is not started.
bool PeekMessage(Message* out);

} // namespace platform::window
