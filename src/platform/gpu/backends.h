// The two device backends, named only where a program chooses one (the graphics device's creation,
// tests and benchmarks); everything else draws through the shared interface in device.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gpu/device.h"

struct SDL_Window;

namespace gpu {

// Device creation. Both return null on failure and put the reason into *error.
// The GL device renders into an offscreen back buffer of width x height and blits it to the window.
std::unique_ptr<Device> CreateOpenGLDevice(SDL_Window* window, std::uint32_t width, std::uint32_t height,
                                           bool fullScreen, std::string* error);
// recordDraws off keeps the Null device from logging draws (long headless runs need no log).
std::unique_ptr<Device> CreateNullDevice(std::uint32_t width, std::uint32_t height, bool recordDraws = true);

// Sets the SDL GL attributes for a 3.3 core context. Call before creating the SDL_WINDOW_OPENGL
// window; CreateOpenGLDevice calls it again before creating its context.
void PrepareOpenGLWindowAttributes();

} // namespace gpu
