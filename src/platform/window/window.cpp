// SDL window, cursor and event pump behind the game's window procedure.
#include "platform/window/window.h"

#include <SDL.h>

#include "platform/gpu/backends.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"

namespace platform::window {

namespace {
bool videoStarted = false;
// Either Shift, either Ctrl or either Enter holds the one virtual key, so each side is tracked apart.
bool leftShift = false, rightShift = false, mainEnter = false, keypadEnter = false;
bool leftControl = false, rightControl = false;

// Scancodes of the keys the game reads, as Windows virtual-key codes; 0 for keys it never reads.
int VirtualKey(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return 'A' + (code - SDL_SCANCODE_A);
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return '1' + (code - SDL_SCANCODE_1);
    switch (code) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_F1: return VK_F1;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_MINUS:
    case SDL_SCANCODE_KP_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_PERIOD:
    case SDL_SCANCODE_KP_PERIOD: return VK_OEM_PERIOD;
    default: return 0;
    }
}

void OnKey(const SDL_KeyboardEvent& key) {
    bool down = key.state == SDL_PRESSED;
    switch (key.keysym.scancode) {
    case SDL_SCANCODE_LSHIFT: leftShift = down; break;
    case SDL_SCANCODE_RSHIFT: rightShift = down; break;
    case SDL_SCANCODE_RETURN: mainEnter = down; break;
    case SDL_SCANCODE_KP_ENTER: keypadEnter = down; break;
    case SDL_SCANCODE_LCTRL: leftControl = down; break;
    case SDL_SCANCODE_RCTRL: rightControl = down; break;
    default:
        if (int vk = VirtualKey(key.keysym.scancode)) platform::input::SetKeyDown(vk, down);
        return;
    }
    platform::input::SetKeyDown(VK_SHIFT, leftShift || rightShift);
    platform::input::SetKeyDown(VK_RETURN, mainEnter || keypadEnter);
    platform::input::SetKeyDown(VK_CONTROL, leftControl || rightControl);
}

std::intptr_t PackSize(int width, int height) {
    return std::intptr_t((std::uint32_t(height & 0xFFFF) << 16) | std::uint32_t(width & 0xFFFF));
}

void FromWindowEvent(const SDL_WindowEvent& event, Message* out) {
    out->window = SDL_GetWindowFromID(event.windowID);
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        out->message = WM_SIZE;
        out->lParam = PackSize(event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_CLOSE: out->message = WM_CLOSE; break;
    default: break;
    }
}

void RestoreWindowed(SDL_Window* window, int width, int height) {
    SDL_SetWindowBordered(window, SDL_TRUE);
    SDL_SetWindowSize(window, width, height);
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}
} // namespace

bool InitVideo(std::string* error) {
    if (videoStarted) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error) *error = std::string("cannot open a display: ") + SDL_GetError();
        return false;
    }
    // Without a display SDL falls back to drivers that show nothing; a player would see no window,
    // so that counts as no display unless someone asked for such a driver on purpose.
    std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if ((driver == "offscreen" || driver == "dummy") && !SDL_getenv("SDL_VIDEODRIVER")) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (error) *error = "cannot open a display (neither DISPLAY nor WAYLAND_DISPLAY leads to one)";
        return false;
    }
    videoStarted = true;
    return true;
}

bool VideoStarted() { return videoStarted; }

void QuitVideo() {
    if (!videoStarted) return;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoStarted = false;
}

bool Window::Create(const char* title, int clientWidth, int clientHeight, std::string* error) {
    Destroy();
    if (!videoStarted && !InitVideo(error)) return false;
    gpu::PrepareOpenGLWindowAttributes();
    SDL_Window* window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, clientWidth,
                                          clientHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!window) {
        if (error) *error = std::string("cannot create the window: ") + SDL_GetError();
        return false;
    }
    handle = window;
    windowedWidth = clientWidth;
    windowedHeight = clientHeight;
    platform::message_box::SetMainWindow(handle);
    return true;
}

void Window::Destroy() {
    platform::message_box::ForgetWindow(handle);
    if (handle) SDL_DestroyWindow(static_cast<SDL_Window*>(handle));
    handle = nullptr;
}

bool Window::SetFullScreen(bool fullScreen, std::string* error) {
    auto* window = static_cast<SDL_Window*>(handle);
    if (!window) return false;
    if (!fullScreen) {
        if (SDL_SetWindowFullscreen(window, 0) != 0) return false;
        RestoreWindowed(window, windowedWidth, windowedHeight);
        return true;
    }
    // SDL only asks the window manager for full screen and at once reports the display's size as the
    // window's. With no window manager (a bare or virtual X server) the real window would stay at its
    // old size while the picture is drawn for the display's, enlarged and cut off. So the window is
    // first made to cover the display by itself, which any X server carries out.
    SDL_Rect display;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &display) == 0) {
        SDL_SetWindowBordered(window, SDL_FALSE);
        SDL_SetWindowPosition(window, display.x, display.y);
        SDL_SetWindowSize(window, display.w, display.h);
    }
    // The desktop's own resolution first: the picture is fitted into any screen anyway, and leaving
    // the display mode alone spares the monitor a switch and the player's other windows a reshuffle.
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) return true;
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0) return true;
    if (error) *error = std::string("cannot switch to full screen: ") + SDL_GetError();
    RestoreWindowed(window, windowedWidth, windowedHeight);
    return false;
}

void Window::Show() {
    if (handle) SDL_ShowWindow(static_cast<SDL_Window*>(handle));
}

bool GetClientSize(void* window, std::int32_t* width, std::int32_t* height) {
    if (!window || !videoStarted) return false;
    int w = 0, h = 0;
    SDL_GetWindowSize(static_cast<SDL_Window*>(window), &w, &h);
    *width = w;
    *height = h;
    return true;
}

void ShowCursor(bool show) {
    if (videoStarted) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool PeekMessage(Message* out) {
    if (!videoStarted) return false;
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return false;
    *out = Message{};
    switch (event.type) {
    case SDL_QUIT: out->message = WM_CLOSE; break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: OnKey(event.key); break;
    case SDL_MOUSEWHEEL:
        out->window = SDL_GetWindowFromID(event.wheel.windowID);
        out->message = WM_MOUSEWHEEL;
        break;
    case SDL_WINDOWEVENT: FromWindowEvent(event.window, out); break;
    default: break;
    }
    return true;
}

} // namespace platform::window
