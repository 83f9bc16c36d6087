// A cache of the GL state the device touches, so unchanged state is never issued again.
//
// Everything that binds or enables in the GL backend goes through here; code that must bypass it
// (context creation, Present's blit) calls Invalidate afterwards.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>

namespace gpu {

struct BlendState {
    bool enable = false;
    GLenum src = GL_ONE, dst = GL_ZERO, srcAlpha = GL_ONE, dstAlpha = GL_ZERO;
    GLenum op = GL_FUNC_ADD, opAlpha = GL_FUNC_ADD;
    bool operator==(const BlendState&) const = default;
};

struct DepthState {
    bool test = true;
    bool write = true;
    GLenum func = GL_LEQUAL;
    bool operator==(const DepthState&) const = default;
};

struct ScissorState {
    bool enable = false;
    GLint x = 0, y = 0;
    GLsizei width = 0, height = 0;
    bool operator==(const ScissorState&) const = default;
};

struct RasterState {
    bool cull = true;
    GLenum cullFace = GL_BACK;
    bool stencil = false;
    bool operator==(const RasterState&) const = default;
};

class GlStateCache {
public:
    static constexpr int kUnits = 8;

    void Invalidate();

    void UseProgram(GLuint program);
    void BindVertexArray(GLuint vao);
    void BindArrayBuffer(GLuint buffer);
    void BindFramebuffer(GLuint fbo);
    void Viewport(GLint x, GLint y, GLint width, GLint height);
    void BindTexture(int unit, GLuint texture);
    void BindSampler(int unit, GLuint sampler);
    void SetBlend(const BlendState& blend);
    void SetDepth(const DepthState& depth);
    void SetRaster(const RasterState& raster);
    void SetScissor(const ScissorState& scissor);
    // Depth writes on and stencil writes unmasked for a clear; the next draw restores its own.
    void PrepareClear(bool depth);
    // A texture or framebuffer was deleted: forget any binding of that name.
    void ForgetTexture(GLuint texture);
    void ForgetFramebuffer(GLuint fbo);
    void ForgetVertexArray(GLuint vao);

    GLuint BoundFramebuffer() const { return fbo_; }
    std::uint64_t stateChanges = 0; // GL calls issued through the cache (benchmarks)

private:
    void ActiveUnit(int unit);

    bool blendKnown_ = false, depthKnown_ = false, rasterKnown_ = false, scissorKnown_ = false;
    GLuint program_ = ~0u, vao_ = ~0u, arrayBuffer_ = ~0u, fbo_ = ~0u;
    GLint viewportX_ = -1, viewportY_ = -1, viewportW_ = -1, viewportH_ = -1;
    int activeUnit_ = -1;
    GLuint textures_[kUnits] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    GLuint samplers_[kUnits] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    BlendState blend_;
    DepthState depth_;
    RasterState raster_;
    ScissorState scissor_;
};

} // namespace gpu
