// The built-in program standing in for Direct3D's fixed-function pipeline: world/view/projection,
// light 0 (directional) with the material, texture stage 0 combined with the vertex colour.
#pragma once

#include <epoxy/gl.h>

#include <string>

#include "platform/gpu/device_state.h"

namespace gpu {

class GlFixedFunction {
public:
    bool Build(std::string* error);
    void Release();
    GLuint Program() const { return program_; }
    // Uploads the uniforms a draw needs; the program must be current. `stateChanged` says the
    // device's transforms, light, material or stage states changed since the last call.
    void Apply(const DeviceState& state, DWORD fvf, bool hasTexture, int viewportW, int viewportH, bool stateChanged);

private:
    void UploadState(const DeviceState& state);

    GLuint program_ = 0;
    GLint world_ = -1, viewProj_ = -1, viewport_ = -1, flags_ = -1, stage_ = -1;
    GLint lightDir_ = -1, lightDiffuse_ = -1, lightSpecular_ = -1, lightAmbient_ = -1;
    GLint matDiffuse_ = -1, matAmbient_ = -1, matSpecular_ = -1, matEmissive_ = -1, matPower_ = -1;
    GLint globalAmbient_ = -1, camPos_ = -1;
    int lastFlags_ = -1, lastStage_ = -1, lastViewportW_ = -1, lastViewportH_ = -1;
    int stateFlags_ = 0, stageBits_ = 0;
};

} // namespace gpu
