// OpenGL device: context and back buffer creation, state setters, render targets, present, readback.
#include "platform/gpu/gl/gl_device.h"

#include <SDL.h>

#include <algorithm>

#include "platform/gpu/backends.h"
#include "platform/gpu/gl/gl_effect.h"
#include "platform/gpu/gl/gl_sprite.h"
#include "platform/gpu/texture_limits.h"
#include "platform/window/letterbox.h"

namespace gpu {

void PrepareOpenGLWindowAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // Those of the offscreen back buffer, so that a frame can be drawn straight into the window.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
}

std::unique_ptr<Device> CreateOpenGLDevice(SDL_Window* window, std::uint32_t width, std::uint32_t height,
                                           bool fullScreen, std::string* error) {
    return GlDevice::Create(window, width, height, fullScreen, error);
}

std::unique_ptr<Device> GlDevice::Create(SDL_Window* window, std::uint32_t width, std::uint32_t height, bool fullScreen,
                                         std::string* error) {
    std::string reason;
    std::unique_ptr<GlDevice> device(new GlDevice());
    if (!device->Init(window, width, height, fullScreen, &reason)) {
        if (error) *error = reason;
        return nullptr;
    }
    return device;
}

bool GlDevice::Init(SDL_Window* window, std::uint32_t width, std::uint32_t height, bool fullScreen,
                    std::string* error) {
    if (!window) {
        *error = "OpenGL 3.3 core context not available: no window";
        return false;
    }
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) {
        *error = "bad back-buffer size " + std::to_string(width) + "x" + std::to_string(height);
        return false;
    }
    PrepareOpenGLWindowAttributes();
    context_ = SDL_GL_CreateContext(window);
    if (!context_) {
        *error = std::string("OpenGL 3.3 core context not available: ") + SDL_GetError();
        return false;
    }
    window_ = window;
    SDL_GL_MakeCurrent(window, context_);
    if (epoxy_gl_version() < 33) {
        *error = "OpenGL 3.3 core context not available: the driver offers version " +
                 std::to_string(epoxy_gl_version() / 10) + "." + std::to_string(epoxy_gl_version() % 10);
        return false;
    }
    SDL_GL_SetSwapInterval(0);
    clearTexture_ = epoxy_gl_version() >= 44 || epoxy_has_gl_extension("GL_ARB_clear_texture");
    GLint depthBits = 0, stencilBits = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depthBits);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE,
                                          &stencilBits);
    windowCapable_ = depthBits >= 24 && stencilBits >= 8 &&
                     (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control"));
    shared_ = std::make_shared<GlShared>();
    shared_->device = this;
    gl_.Invalidate();

    present_.BackBufferWidth = width;
    present_.BackBufferHeight = height;
    present_.BackBufferFormat = D3DFMT_X8R8G8B8;
    present_.BackBufferCount = 2;
    present_.Windowed = !fullScreen;
    present_.EnableAutoDepthStencil = true;
    present_.AutoDepthStencilFormat = D3DFMT_D24S8;
    present_.PresentationInterval = 0x80000000u; // immediate

    if (!CreateBackBuffer(error) || !fixedFunction_.Build(error) || !CreateSpriteResources(error)) return false;
    gl_.Invalidate(); // building programs bound things behind the cache's back
    // A frame streams well under 100 KB; the buffers start over (orphaned) when full, so a larger
    // one only holds more driver memory.
    vertexStream_.Create(1u << 20);
    indexStream_.Create(256u << 10);
    glGenSamplers(1, &deviceSampler_);
    glGenSamplers(1, &singleLevelSampler_);
    // Attributes a vertex format lacks read these values: no normal, white colour, zero weights.
    glVertexAttrib4f(1, 0, 0, 0, 0);
    glVertexAttrib4f(2, 1, 1, 1, 1);
    glVertexAttrib4f(3, 0, 0, 0, 0);
    glVertexAttrib4f(4, 0, 0, 0, 0);
    glVertexAttrib4f(5, 0, 0, 0, 0);
    ChooseNextFrameTarget(); // the first frame too, so that the offscreen buffers are never touched
    return true;
}

bool GlDevice::CreateBackBuffer(std::string* error) {
    GLsizei w = GLsizei(present_.BackBufferWidth), h = GLsizei(present_.BackBufferHeight);
    glGenTextures(1, &backBufferTexture_);
    glBindTexture(GL_TEXTURE_2D, backBufferTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &depthRenderbuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthRenderbuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
    glGenFramebuffers(1, &presentFbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, presentFbo_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, backBufferTexture_, 0);
    // With its depth, so that a frame leaving the window mid-way takes its depth along.
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthRenderbuffer_);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    backBuffer_ = std::make_shared<GlSurface>(w, h, D3DFMT_X8R8G8B8, nullptr, backBufferTexture_);
    depth_ = std::make_shared<GlSurface>(w, h, D3DFMT_D24S8, nullptr, 0);
    targets_[0] = backBuffer_;
    targetsDirty_ = true;
    BindTargets();
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        *error = "OpenGL 3.3 core context not available: the offscreen back buffer is incomplete";
        return false;
    }
    return true;
}

GlDevice::~GlDevice() {
    if (!context_) return;
    if (shared_) {
        SDL_GL_MakeCurrent(window_, context_);
        texture0_.reset();
        streamHold_.reset();
        indexHold_.reset();
        for (auto& t : targets_) t.reset();
        depthInForce_.reset();
        shared_->device = nullptr; // resources still alive skip their GL calls from here on
        for (auto& f : framebuffers_) glDeleteFramebuffers(1, &f.fbo);
        for (auto* list : {&streamVaos_, &staticVaos_})
            for (auto& v : *list) glDeleteVertexArrays(1, &v.vao);
        vertexStream_.Release();
        indexStream_.Release();
        fixedFunction_.Release();
        glDeleteProgram(spriteProgram_);
        glDeleteVertexArrays(1, &spriteVao_);
        glDeleteBuffers(1, &spriteIndices_);
        glDeleteSamplers(1, &spriteSampler_);
        glDeleteSamplers(1, &deviceSampler_);
        glDeleteSamplers(1, &singleLevelSampler_);
        glDeleteFramebuffers(1, &presentFbo_);
        glDeleteTextures(1, &backBufferTexture_);
        glDeleteRenderbuffers(1, &depthRenderbuffer_);
    }
    SDL_GL_DeleteContext(context_);
}

// ---- state setters -------------------------------------------------------------------------------

void GlDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX* matrix) {
    D3DXMATRIX* slot = state_.Transform(state);
    if (!slot || !matrix) return;
    *slot = *matrix;
    fixedStateDirty_ = true;
}

void GlDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DXMATRIX* matrix) const {
    const D3DXMATRIX* slot = state_.Transform(state);
    if (slot && matrix) *matrix = *slot;
}

void GlDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (index >= kMaxLights || !light) return;
    state_.lights[index] = *light;
    fixedStateDirty_ = true;
}

void GlDevice::GetLight(DWORD index, D3DLIGHT9* light) const {
    if (index < kMaxLights && light) *light = state_.lights[index];
}

void GlDevice::LightEnable(DWORD index, BOOL enable) {
    if (index >= kMaxLights) return;
    state_.lightEnabled[index] = enable != FALSE;
    fixedStateDirty_ = true;
}

void GlDevice::SetMaterial(const D3DMATERIAL9* material) {
    if (!material) return;
    state_.material = *material;
    fixedStateDirty_ = true;
}

void GlDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (!state_.SetRenderState(state, value)) return;
    renderStatesDirty_ = true;
    fixedStateDirty_ = true;
}

void GlDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (state_.SetStageState(stage, type, value)) fixedStateDirty_ = true;
}

void GlDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    if (state_.SetSamplerState(sampler, type, value)) samplerDirty_ = true;
}

void GlDevice::SetTexture(DWORD stage, Texture* texture) {
    if (stage != 0) return;
    texture0_ = texture ? texture->weak_from_this().lock() : nullptr;
}

void GlDevice::SetStreamSource(GeometryBuffer* vertices, std::uint32_t stride) {
    streamHold_ = vertices ? vertices->weak_from_this().lock() : nullptr;
    state_.streamSource = streamHold_.get();
    state_.streamStride = stride;
}

void GlDevice::SetIndices(GeometryBuffer* indices) {
    indexHold_ = indices ? indices->weak_from_this().lock() : nullptr;
    state_.indices = indexHold_.get();
}

GLuint GlDevice::DeviceSampler(std::uint32_t levels) {
    GLuint chosen = levels > 1 ? deviceSampler_ : singleLevelSampler_;
    if (!samplerDirty_) return chosen;
    samplerDirty_ = false;
    const DWORD* s = state_.samplerStates;
    auto wrap = [](DWORD mode) {
        return mode == D3DTADDRESS_CLAMP    ? GL_CLAMP_TO_EDGE
               : mode == D3DTADDRESS_MIRROR ? GL_MIRRORED_REPEAT
                                            : GL_REPEAT;
    };
    bool minLinear = s[D3DSAMP_MINFILTER] >= D3DTEXF_LINEAR;
    GLenum minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    GLenum singleMinFilter = minFilter;
    if (s[D3DSAMP_MIPFILTER] == D3DTEXF_POINT)
        minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (s[D3DSAMP_MIPFILTER] >= D3DTEXF_LINEAR)
        minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    for (GLuint sampler : {deviceSampler_, singleLevelSampler_}) {
        GLenum min = sampler == deviceSampler_ ? minFilter : singleMinFilter;
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GLint(min));
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                            s[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, wrap(s[D3DSAMP_ADDRESSU]));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, wrap(s[D3DSAMP_ADDRESSV]));
        glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, StateAsFloat(s[D3DSAMP_MIPMAPLODBIAS]));
    }
    return chosen;
}

// ---- resources -----------------------------------------------------------------------------------

std::shared_ptr<Texture> GlDevice::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                                 DWORD usage, D3DFORMAT format, D3DPOOL pool) {
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) return nullptr;
    if (!IsSupportedTextureFormat(format)) return nullptr;
    bool target = (usage & D3DUSAGE_RENDERTARGET) != 0;
    if (target && pool != D3DPOOL_DEFAULT) return nullptr;
    std::uint32_t full = FullMipCount(width, height);
    levels = target ? 1 : (levels == 0 || levels > full ? full : levels);
    auto texture = std::make_shared<GlTexture>(shared_, width, height, levels, usage, format);
    return texture->Valid() ? texture : nullptr;
}

std::shared_ptr<GeometryBuffer> GlDevice::CreateVertexBuffer(std::size_t bytes) {
    if (bytes == 0 || bytes > (std::size_t(1) << 30)) return nullptr;
    return std::make_shared<GlGeometryBuffer>(shared_, bytes);
}

std::shared_ptr<GeometryBuffer> GlDevice::CreateIndexBuffer(std::size_t bytes) { return CreateVertexBuffer(bytes); }

DeviceMemory GlDevice::Memory() const {
    DeviceMemory memory = shared_ ? shared_->memory : DeviceMemory{};
    memory.imageBytes += std::uint64_t(present_.BackBufferWidth) * present_.BackBufferHeight * 8; // colour + depth
    memory.geometryBytes += vertexStream_.Capacity() + indexStream_.Capacity();
    return memory;
}

void GlDevice::OnTextureDeleted(GLuint texture) {
    gl_.ForgetTexture(texture);
    auto uses = [texture](const FramebufferEntry& f) {
        return std::find(std::begin(f.textures), std::end(f.textures), texture) != std::end(f.textures);
    };
    for (auto& f : framebuffers_) {
        if (!uses(f)) continue;
        gl_.ForgetFramebuffer(f.fbo);
        if (currentFbo_ == f.fbo) targetsDirty_ = true;
        glDeleteFramebuffers(1, &f.fbo);
    }
    framebuffers_.erase(std::remove_if(framebuffers_.begin(), framebuffers_.end(), uses), framebuffers_.end());
}

void GlDevice::OnBufferDeleted(GLuint buffer) {
    auto uses = [buffer](const VaoEntry& v) { return v.vertexBuffer == buffer || v.indexBuffer == buffer; };
    for (auto& v : staticVaos_) {
        if (!uses(v)) continue;
        gl_.ForgetVertexArray(v.vao);
        glDeleteVertexArrays(1, &v.vao);
    }
    staticVaos_.erase(std::remove_if(staticVaos_.begin(), staticVaos_.end(), uses), staticVaos_.end());
    gl_.BindArrayBuffer(0);
}

// ---- render targets ------------------------------------------------------------------------------

bool GlDevice::SetRenderTarget(DWORD index, std::shared_ptr<Surface> surface) {
    if (index >= kMaxRenderTargets) return false;
    if (index == 0) viewArea_.reset();
    if (!surface) {
        if (index == 0) return false;
        if (targets_[index]) targetsDirty_ = true;
        targets_[index].reset();
        return true;
    }
    auto* gl = dynamic_cast<GlSurface*>(surface.get());
    if (!gl || gl->GlTexture() == 0) return false;
    bool isTarget = gl == backBuffer_.get() || (gl->OwnerTexture() && gl->OwnerTexture()->IsRenderTarget());
    if (!isTarget) return false;
    if (targets_[index] != surface) targetsDirty_ = true;
    targets_[index] = std::move(surface);
    return true;
}

void GlDevice::SetViewport(const RECT& area) { viewArea_ = area; }

// Targets are stored top row first and drawn upside down, so the area's top is GL's y.
void GlDevice::ApplyViewport() {
    if (!viewArea_) return gl_.Viewport(0, 0, viewportW_, viewportH_);
    const RECT& a = *viewArea_;
    const int width = std::max(a.right - a.left, 0), height = std::max(a.bottom - a.top, 0);
    // The window counts rows from the bottom; with the clip origin at the top the area lands as in a target.
    gl_.Viewport(a.left, windowBound_ ? viewportH_ - a.top - height : a.top, width, height);
}

std::shared_ptr<Surface> GlDevice::GetRenderTarget(DWORD index) const {
    return index < kMaxRenderTargets ? targets_[index] : nullptr;
}

std::shared_ptr<Surface> GlDevice::GetDepthStencilSurface() const {
    return depthInForce_ ? std::shared_ptr<Surface>(depthInForce_) : std::shared_ptr<Surface>(depth_);
}

std::shared_ptr<Surface> GlDevice::CreateDepthStencilSurface(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) return nullptr;
    auto surface = std::make_shared<GlDepthSurface>(shared_, width, height);
    return surface->Renderbuffer() ? surface : nullptr;
}

void GlDevice::SetDepthStencilSurface(std::shared_ptr<Surface> surface) {
    auto own = std::dynamic_pointer_cast<GlDepthSurface>(surface);
    if (own == depthInForce_) return;
    depthInForce_ = std::move(own);
    targetsDirty_ = true;
}

void GlDevice::OnRenderbufferDeleted(GLuint renderbuffer) {
    auto uses = [renderbuffer](const FramebufferEntry& f) { return f.depth == renderbuffer; };
    for (auto& f : framebuffers_) {
        if (!uses(f)) continue;
        gl_.ForgetFramebuffer(f.fbo);
        if (currentFbo_ == f.fbo) targetsDirty_ = true;
        glDeleteFramebuffers(1, &f.fbo);
    }
    framebuffers_.erase(std::remove_if(framebuffers_.begin(), framebuffers_.end(), uses), framebuffers_.end());
}

// A target of another size than the depth surface in force (the half-size blur targets) gets none:
// Direct3D would test against the depth buffer's top-left corner, which no game draw relies on, and
// the software rasterizer pays dearly for that test on every full-target pass.
GLuint GlDevice::DepthForTarget0() const {
    const Surface& depth = depthInForce_ ? static_cast<const Surface&>(*depthInForce_) : *depth_;
    if (targets_[0]->Width() != depth.Width() || targets_[0]->Height() != depth.Height()) return 0;
    return depthInForce_ ? depthInForce_->Renderbuffer() : depthRenderbuffer_;
}

void GlDevice::SetScissorRect(const RECT* rect) {
    scissor_ = ScissorState{};
    if (!rect) return;
    // Targets are stored top row first, so GL's window coordinates are the rectangle's own.
    scissor_.enable = true;
    scissor_.x = std::max(rect->left, 0);
    scissor_.y = std::max(rect->top, 0);
    scissor_.width = std::max(rect->right - scissor_.x, 0);
    scissor_.height = std::max(rect->bottom - scissor_.y, 0);
}

// Mesa draws a scissored clear as a quad, compiling and keeping a shader variant (megabytes on
// llvmpipe) for each target format it meets; filling the texture itself costs neither.
void GlDevice::ClearRects(const std::vector<RECT>& rects, D3DCOLOR color) {
    const auto* target = targets_[0] ? static_cast<const GlSurface*>(targets_[0].get()) : nullptr;
    if (!clearTexture_ || !target || !target->GlTexture() || (windowDirect_ && targets_[0] == backBuffer_)) {
        Device::ClearRects(rects, color);
        return;
    }
    scissor_ = ScissorState{};
    if (discardDraws_) return;
    drawnSincePresent_ = true;
    const GLfloat rgba[4] = {((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                             ((color >> 24) & 0xFF) / 255.0f};
    const auto w = static_cast<std::int32_t>(target->Width()), h = static_cast<std::int32_t>(target->Height());
    for (const RECT& rect : rects) {
        std::int32_t left = std::clamp(rect.left, 0, w), top = std::clamp(rect.top, 0, h);
        std::int32_t right = std::clamp(rect.right, left, w), bottom = std::clamp(rect.bottom, top, h);
        if (right == left || bottom == top) continue;
        // Targets are stored top row first, so the rectangle's rows are the texture's rows.
        glClearTexSubImage(target->GlTexture(), 0, left, top, 0, right - left, bottom - top, 1, GL_RGBA, GL_FLOAT,
                           rgba);
    }
}

// The window's buffer holds one colour target of the window's size with its own depth.
bool GlDevice::WindowHoldsTargets() const {
    return !depthInForce_ &&
           std::all_of(std::begin(targets_) + 1, std::end(targets_), [](const auto& t) { return !t; });
}

void GlDevice::BindTargets() {
    drawnSincePresent_ = true;
    if (targetsDirty_) {
        if (windowDirect_ && targets_[0] == backBuffer_ && !WindowHoldsTargets()) LeaveWindow();
        windowBound_ = windowDirect_ && targets_[0] == backBuffer_;
    }
    if (windowBound_ && scissor_.enable) {
        // The window counts rows from the bottom.
        ScissorState flipped = scissor_;
        flipped.y = int(present_.BackBufferHeight) - scissor_.y - scissor_.height;
        gl_.SetScissor(flipped);
    } else {
        gl_.SetScissor(scissor_);
    }
    SetClipOrigin(windowBound_);
    if (!targetsDirty_) {
        gl_.BindFramebuffer(currentFbo_);
        ApplyViewport();
        return;
    }
    if (windowBound_) {
        currentFbo_ = 0;
        viewportW_ = int(present_.BackBufferWidth);
        viewportH_ = int(present_.BackBufferHeight);
        gl_.BindFramebuffer(0);
        ApplyViewport();
        targetsDirty_ = false;
        return;
    }
    GLuint ids[kMaxRenderTargets] = {};
    for (int i = 0; i < kMaxRenderTargets; ++i)
        if (targets_[i]) ids[i] = static_cast<GlSurface&>(*targets_[i]).GlTexture();
    const GLuint depth = DepthForTarget0();
    GLuint fbo = 0;
    for (const auto& f : framebuffers_)
        if (std::equal(std::begin(ids), std::end(ids), std::begin(f.textures)) && f.depth == depth) fbo = f.fbo;
    if (!fbo) {
        glGenFramebuffers(1, &fbo);
        gl_.BindFramebuffer(fbo);
        GLenum buffers[kMaxRenderTargets];
        for (int i = 0; i < kMaxRenderTargets; ++i) {
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, ids[i], 0);
            buffers[i] = ids[i] ? GL_COLOR_ATTACHMENT0 + i : GL_NONE;
        }
        if (depth) glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
        glDrawBuffers(kMaxRenderTargets, buffers);
        FramebufferEntry entry{{}, depth, fbo};
        std::copy(std::begin(ids), std::end(ids), entry.textures);
        framebuffers_.push_back(entry);
    }
    currentFbo_ = fbo;
    viewportW_ = int(targets_[0]->Width());
    viewportH_ = int(targets_[0]->Height());
    gl_.BindFramebuffer(fbo);
    ApplyViewport();
    targetsDirty_ = false;
}

// The window's rows run bottom up, the targets' top down: with the clip origin at the top the same
// vertices land on the same pixels, and facing is judged the same way.
void GlDevice::SetClipOrigin(bool top) {
    if (top == clipTop_) return;
    glClipControl(top ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
    clipTop_ = top;
}

// What the frame drew in the window so far goes on in the offscreen back buffer.
void GlDevice::LeaveWindow() {
    CopyWindowToBackBuffer(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    windowDirect_ = false;
    textureNeeded_ = true;
}

void GlDevice::CopyWindowToBackBuffer(GLbitfield mask) {
    const GLint w = GLint(present_.BackBufferWidth), h = GLint(present_.BackBufferHeight);
    bool scissor = glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
    if (scissor) glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, presentFbo_);
    glBlitFramebuffer(0, 0, w, h, 0, h, w, 0, mask, GL_NEAREST);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    gl_.ForgetFramebuffer(gl_.BoundFramebuffer());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, presentFbo_);
}

void GlDevice::ChooseNextFrameTarget() {
    int drawW = 0, drawH = 0;
    SDL_GL_GetDrawableSize(window_, &drawW, &drawH);
    windowDirect_ = windowCapable_ && !textureNeeded_ && drawW == int(present_.BackBufferWidth) &&
                    drawH == int(present_.BackBufferHeight);
    textureNeeded_ = false;
    keepPicture_ = false;
    drawnSincePresent_ = false;
    targetsDirty_ = true;
}

void GlDevice::Clear(DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) mask |= GL_COLOR_BUFFER_BIT;
    if (flags & D3DCLEAR_ZBUFFER) mask |= GL_DEPTH_BUFFER_BIT;
    if (flags & D3DCLEAR_STENCIL) mask |= GL_STENCIL_BUFFER_BIT;
    if (!mask || discardDraws_) return;
    BindTargets();
    glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                 ((color >> 24) & 0xFF) / 255.0f);
    glClearDepth(std::clamp(z, 0.0f, 1.0f));
    glClearStencil(GLint(stencil & 0xFF));
    gl_.PrepareClear((flags & D3DCLEAR_ZBUFFER) != 0);
    glClear(mask);
}

// ---- present and readback ------------------------------------------------------------------------

void GlDevice::Present() {
    if (discardDraws_) return;
    phaseTimer_.Begin("present");
    if (!windowDirect_) BlitToWindow();
    else if (keepPicture_) CopyWindowToBackBuffer(GL_COLOR_BUFFER_BIT);
    lastShownInWindow_ = windowDirect_ && !keepPicture_;
    // The copy to the window's own buffer above and the hand-over to the window system below are
    // timed apart: on a software rasterizer each costs about a full-screen pass.
    phaseTimer_.Begin("swap");
    SDL_GL_SwapWindow(window_);
    phaseTimer_.EndFrame();
    ++counters_.frames;
    ChooseNextFrameTarget();
}

// The back buffer keeps the game's size whatever the window's; the window shows it scaled to fit
// with its shape kept, and the rest of the window black.
void GlDevice::BlitToWindow() {
    int drawW = 0, drawH = 0;
    SDL_GL_GetDrawableSize(window_, &drawW, &drawH);
    int w = int(present_.BackBufferWidth), h = int(present_.BackBufferHeight);
    platform::window::PictureRect fit = platform::window::FitPicture(w, h, drawW, drawH);
    // Scissoring would clip both the clear and the blit; it stays as the frame left it.
    bool scissor = glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE;
    if (scissor) glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (fit.width != drawW || fit.height != drawH) {
        // Both swap buffers must lose whatever was under the bars (an earlier size, garbage).
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (fit.width > 0) {
        // GL counts rows from the bottom and the back buffer is stored upside down for it.
        int bottom = drawH - fit.y - fit.height;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, presentFbo_);
        glBlitFramebuffer(0, 0, w, h, fit.x, bottom + fit.height, fit.x + fit.width, bottom, GL_COLOR_BUFFER_BIT,
                          fit.width == w && fit.height == h ? GL_NEAREST : GL_LINEAR);
    }
    if (scissor) glEnable(GL_SCISSOR_TEST);
    gl_.ForgetFramebuffer(gl_.BoundFramebuffer());
}

bool GlDevice::ReadBackBuffer(std::vector<std::uint32_t>& pixels, std::uint32_t& width, std::uint32_t& height) {
    width = present_.BackBufferWidth;
    height = present_.BackBufferHeight;
    pixels.resize(std::size_t(width) * height);
    // Once swapped, the window's buffer holds whatever the driver left there; see KeepPictureForReadBack.
    const bool window = drawnSincePresent_ ? windowDirect_ : lastShownInWindow_;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, window ? 0 : presentFbo_);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, GLsizei(width), GLsizei(height), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    if (window) // bottom row first
        for (std::uint32_t y = 0; y < height / 2; ++y)
            std::swap_ranges(pixels.begin() + std::ptrdiff_t(y) * width, pixels.begin() + std::ptrdiff_t(y + 1) * width,
                             pixels.begin() + std::ptrdiff_t(height - 1 - y) * width);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, presentFbo_);
    gl_.ForgetFramebuffer(gl_.BoundFramebuffer());
    for (auto& p : pixels) p |= 0xFF000000u; // the back buffer has no alpha channel
    return true;
}

bool GlDevice::ReadSurface(Surface& surface, std::vector<float>& rgba) {
    auto* gl = dynamic_cast<GlSurface*>(&surface);
    if (!gl || gl->GlTexture() == 0) return false;
    rgba.resize(std::size_t(gl->Width()) * gl->Height() * 4);
    gl_.BindTexture(0, gl->GlTexture());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, rgba.data());
    if (gl->Format() == D3DFMT_X8R8G8B8)
        for (std::size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 1.0f;
    return true;
}

// ---- D3DX-side objects ---------------------------------------------------------------------------

std::unique_ptr<Effect> GlDevice::CreateEffectFromFile(const std::string& path, std::string* errors,
                                                       const std::vector<std::string>& linkNow) {
    return GlEffect::Load(shared_, path, linkNow, errors);
}

std::unique_ptr<Sprite> GlDevice::CreateSprite() { return std::make_unique<GlSprite>(shared_); }

std::unique_ptr<Font> GlDevice::CreateFont(const D3DXFONT_DESCA& desc) {
    return std::make_unique<GlFont>(shared_, this, desc);
}

} // namespace gpu
