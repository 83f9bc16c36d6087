// OpenGL 3.3 core device (in progress): creation reports that it is not available yet.
#include "platform/gpu/device.h"

namespace gpu {

std::unique_ptr<Device> CreateOpenGLDevice(SDL_Window*, std::uint32_t, std::uint32_t, bool, std::string* error) {
    if (error) *error = "OpenGL 3.3 core context not available: the OpenGL backend is not built yet";
    return nullptr;
}

} // namespace gpu
