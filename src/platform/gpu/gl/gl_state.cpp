// GL state cache: each setter compares with what GL already has before issuing a call.
#include "platform/gpu/gl/gl_state.h"

namespace gpu {

void GlStateCache::Invalidate() {
    blendKnown_ = depthKnown_ = rasterKnown_ = scissorKnown_ = false;
    program_ = vao_ = arrayBuffer_ = fbo_ = 0xFFFFFFFFu;
    viewportX_ = viewportY_ = viewportW_ = viewportH_ = -1;
    activeUnit_ = -1;
    for (int i = 0; i < kUnits; ++i) textures_[i] = samplers_[i] = 0xFFFFFFFFu;
}

void GlStateCache::UseProgram(GLuint program) {
    if (program_ == program) return;
    glUseProgram(program);
    program_ = program;
    ++stateChanges;
}

void GlStateCache::BindVertexArray(GLuint vao) {
    if (vao_ == vao) return;
    glBindVertexArray(vao);
    vao_ = vao;
    ++stateChanges;
}

void GlStateCache::BindArrayBuffer(GLuint buffer) {
    if (arrayBuffer_ == buffer) return;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    arrayBuffer_ = buffer;
    ++stateChanges;
}

void GlStateCache::BindFramebuffer(GLuint fbo) {
    if (fbo_ == fbo) return;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    fbo_ = fbo;
    ++stateChanges;
}

void GlStateCache::Viewport(GLint x, GLint y, GLint width, GLint height) {
    if (viewportX_ == x && viewportY_ == y && viewportW_ == width && viewportH_ == height) return;
    glViewport(x, y, width, height);
    viewportX_ = x;
    viewportY_ = y;
    viewportW_ = width;
    viewportH_ = height;
    ++stateChanges;
}

void GlStateCache::ActiveUnit(int unit) {
    if (activeUnit_ == unit) return;
    glActiveTexture(GL_TEXTURE0 + unit);
    activeUnit_ = unit;
}

void GlStateCache::BindTexture(int unit, GLuint texture) {
    if (unit < 0 || unit >= kUnits || textures_[unit] == texture) return;
    ActiveUnit(unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    textures_[unit] = texture;
    ++stateChanges;
}

void GlStateCache::BindSampler(int unit, GLuint sampler) {
    if (unit < 0 || unit >= kUnits || samplers_[unit] == sampler) return;
    glBindSampler(unit, sampler);
    samplers_[unit] = sampler;
    ++stateChanges;
}

void GlStateCache::SetBlend(const BlendState& b) {
    if (blendKnown_ && b == blend_) return;
    if (!blendKnown_ || b.enable != blend_.enable) b.enable ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    bool factorsChanged = !blendKnown_ || b.src != blend_.src || b.dst != blend_.dst || b.srcAlpha != blend_.srcAlpha ||
                          b.dstAlpha != blend_.dstAlpha;
    bool opsChanged = !blendKnown_ || b.op != blend_.op || b.opAlpha != blend_.opAlpha;
    if (factorsChanged) glBlendFuncSeparate(b.src, b.dst, b.srcAlpha, b.dstAlpha);
    if (opsChanged) glBlendEquationSeparate(b.op, b.opAlpha);
    blend_ = b;
    blendKnown_ = true;
    ++stateChanges;
}

void GlStateCache::SetDepth(const DepthState& d) {
    if (depthKnown_ && d == depth_) return;
    if (!depthKnown_ || d.test != depth_.test) d.test ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    if (!depthKnown_ || d.write != depth_.write) glDepthMask(d.write ? GL_TRUE : GL_FALSE);
    if (!depthKnown_ || d.func != depth_.func) glDepthFunc(d.func);
    depth_ = d;
    depthKnown_ = true;
    ++stateChanges;
}

void GlStateCache::SetRaster(const RasterState& r) {
    if (rasterKnown_ && r == raster_) return;
    if (!rasterKnown_ || r.cull != raster_.cull) r.cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    if (!rasterKnown_ || r.cullFace != raster_.cullFace) glCullFace(r.cullFace);
    if (!rasterKnown_ || r.stencil != raster_.stencil)
        r.stencil ? glEnable(GL_STENCIL_TEST) : glDisable(GL_STENCIL_TEST);
    raster_ = r;
    rasterKnown_ = true;
    ++stateChanges;
}

void GlStateCache::SetScissor(const ScissorState& s) {
    if (scissorKnown_ && s == scissor_) return;
    if (!scissorKnown_ || s.enable != scissor_.enable)
        s.enable ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
    if (s.enable) glScissor(s.x, s.y, s.width, s.height);
    scissor_ = s;
    scissorKnown_ = true;
    ++stateChanges;
}

void GlStateCache::PrepareClear(bool depth) {
    if (depth && !(depthKnown_ && depth_.write)) {
        glDepthMask(GL_TRUE);
        depth_.write = true;
    }
    glStencilMask(0xFF);
}

void GlStateCache::ForgetTexture(GLuint texture) {
    for (int i = 0; i < kUnits; ++i)
        if (textures_[i] == texture) textures_[i] = 0xFFFFFFFFu;
}

void GlStateCache::ForgetFramebuffer(GLuint fbo) {
    if (fbo_ == fbo) fbo_ = 0xFFFFFFFFu;
}

void GlStateCache::ForgetVertexArray(GLuint vao) {
    if (vao_ == vao) vao_ = 0xFFFFFFFFu;
}

} // namespace gpu
