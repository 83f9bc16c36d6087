// The OpenGL 3.3 core device: D3D9-shaped calls turned into cached GL state and draws.
//
// Renders into an offscreen back buffer (RGBA8 + depth24/stencil8) with row 0 at the top; Present
// blits it to the window upside down, scaled to fit with its shape kept and black bars round it, and
// swaps. A frame that needs no more of the back buffer than the window's own buffer offers (one
// colour target, the usual depth, the window's size) is drawn straight into the window instead,
// with the clip origin at the top so the rasterizer sees the same coordinates, and Present only swaps. Draws from user
// memory go through one growing streaming buffer; vertex layouts are cached per format; render-target combinations get
// one framebuffer object each. Outside an effect pass the built-in fixed-function program draws.
#pragma once

#include <epoxy/gl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gpu/backends.h"
#include "platform/gpu/device.h"
#include "platform/gpu/device_state.h"
#include "platform/gpu/gl/gl_fixed_function.h"
#include "platform/gpu/gl/gl_phase_timer.h"
#include "platform/gpu/gl/gl_resources.h"
#include "platform/gpu/gl/gl_state.h"

typedef void* SDL_GLContext;

namespace gpu {

class GlEffect;

// One GL buffer written front to back and orphaned when full, so the GPU never waits on a write.
class StreamBuffer {
public:
    void Create(std::size_t capacity);
    void Release();
    // Copies `bytes` at an offset that is a multiple of `align`; returns that offset.
    std::size_t Write(const void* data, std::size_t bytes, std::size_t align);
    GLuint Id() const { return id_; }
    std::size_t Capacity() const { return capacity_; }

private:
    GLuint id_ = 0;
    std::size_t capacity_ = 0, pos_ = 0;
};

// A screen-space textured quad vertex of the sprite batcher.
struct SpriteVertex {
    float x, y, u, v;
    std::uint32_t color; // D3DCOLOR
};

class GlDevice final : public Device {
public:
    static std::unique_ptr<Device> Create(SDL_Window* window, std::uint32_t width, std::uint32_t height,
                                          bool fullScreen, std::string* error);
    ~GlDevice() override;

    void Clear(DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    void BeginScene() override {}
    void EndScene() override {}
    void Present() override;
    // Present's first half: the back buffer scaled into the window's own back buffer, not yet swapped.
    void BlitToWindow();
    const D3DPRESENT_PARAMETERS& PresentParameters() const override { return present_; }

    void SetTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX* matrix) override;
    void GetTransform(D3DTRANSFORMSTATETYPE state, D3DXMATRIX* matrix) const override;
    void SetLight(DWORD index, const D3DLIGHT9* light) override;
    void GetLight(DWORD index, D3DLIGHT9* light) const override;
    void LightEnable(DWORD index, BOOL enable) override;
    void SetMaterial(const D3DMATERIAL9* material) override;
    void SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    DWORD GetRenderState(D3DRENDERSTATETYPE state) const override { return state_.RenderState(state); }
    void SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    void SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    DWORD GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const override {
        return state_.SamplerState(sampler, type);
    }
    void SetTexture(DWORD stage, Texture* texture) override;
    void SetScissorRect(const RECT* rect) override;
    void ClearRects(const std::vector<RECT>& rects, D3DCOLOR color) override;
    void SetFVF(DWORD fvf) override { state_.fvf = fvf; }
    DWORD GetFVF() const override { return state_.fvf; }

    void DrawPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, const void* vertices,
                         std::uint32_t stride) override;
    void DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t minIndex, std::uint32_t vertexCount,
                                std::uint32_t primitiveCount, const std::uint16_t* indices, const void* vertices,
                                std::uint32_t stride) override;
    std::shared_ptr<GeometryBuffer> CreateVertexBuffer(std::size_t bytes) override;
    std::shared_ptr<GeometryBuffer> CreateIndexBuffer(std::size_t bytes) override;
    void SetStreamSource(GeometryBuffer* vertices, std::uint32_t stride) override;
    void SetIndices(GeometryBuffer* indices) override;
    void DrawIndexedPrimitive(D3DPRIMITIVETYPE type, std::int32_t baseVertex, std::uint32_t minIndex,
                              std::uint32_t vertexCount, std::uint32_t startIndex,
                              std::uint32_t primitiveCount) override;

    std::shared_ptr<Texture> CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels, DWORD usage,
                                           D3DFORMAT format, D3DPOOL pool) override;
    bool SetRenderTarget(DWORD index, std::shared_ptr<Surface> surface) override;
    void SetViewport(const RECT& area) override;
    std::shared_ptr<Surface> GetRenderTarget(DWORD index) const override;
    std::shared_ptr<Surface> GetDepthStencilSurface() const override;
    std::shared_ptr<Surface> CreateDepthStencilSurface(std::uint32_t width, std::uint32_t height) override;
    void SetDepthStencilSurface(std::shared_ptr<Surface> surface) override;
    bool ReadBackBuffer(std::vector<std::uint32_t>& pixels, std::uint32_t& width, std::uint32_t& height) override;
    void KeepPictureForReadBack() override { keepPicture_ = true; }
    bool ReadSurface(Surface& surface, std::vector<float>& rgba) override;

    using Device::CreateEffectFromFile;
    std::unique_ptr<Effect> CreateEffectFromFile(const std::string& path, std::string* errors,
                                                 const std::vector<std::string>& linkNow) override;
    void ShadersBuilt() override { glReleaseShaderCompiler(); }
    std::unique_ptr<Sprite> CreateSprite() override;
    std::unique_ptr<Font> CreateFont(const D3DXFONT_DESCA& desc) override;

    DeviceCounters& Counters() override { return counters_; }
    bool IsNull() const override { return false; }
    DeviceMemory Memory() const override;
    void Flush() override {
        if (!discardDraws_) glFlush();
    }
    void BeginPhase(const char* name) override {
        if (!discardDraws_) phaseTimer_.Begin(name);
    }
    void EnablePhaseTimer(bool on) override { phaseTimer_.Enable(on); }
    std::string PhaseReport() const override { return phaseTimer_.Report(); }

    // ---- used by the GL resources, effects and sprites ----
    GlStateCache& Gl() { return gl_; }
    void OnTextureDeleted(GLuint texture);
    void OnBufferDeleted(GLuint buffer);
    void OnRenderbufferDeleted(GLuint renderbuffer);
    void SetActiveEffect(GlEffect* effect) { activeEffect_ = effect; }
    GlEffect* ActiveEffect() const { return activeEffect_; }
    // The sampler built from the device's sampler states for a texture with this many levels. A
    // single-level texture gets the same filters without their mipmap part, which samples alike but
    // spares a software rasterizer the per-pixel level-of-detail work when min and mag filter agree.
    GLuint DeviceSampler(std::uint32_t levels);
    // Draws sprite quads (4 vertices each) in runs of one texture each.
    struct SpriteRun {
        Texture* texture;
        std::uint32_t firstQuad, quadCount;
    };
    void DrawSprites(const std::vector<SpriteVertex>& vertices, const std::vector<SpriteRun>& runs, bool alphaBlend);

private:
    GlDevice() = default;
    bool Init(SDL_Window* window, std::uint32_t width, std::uint32_t height, bool fullScreen, std::string* error);
    bool CreateBackBuffer(std::string* error);
    bool CreateSpriteResources(std::string* error);
    void BindTargets();
    bool WindowHoldsTargets() const;
    void LeaveWindow();
    void CopyWindowToBackBuffer(GLbitfield mask);
    void SetClipOrigin(bool top);
    void ChooseNextFrameTarget();
    void ApplyRenderStates();
    bool DepthTestPassesEverywhere(const void* vertices, std::uint32_t count, std::uint32_t stride) const;
    bool FixedFunctionOpaque(DWORD fvf, const Texture* texture) const;
    bool PrepareDraw(DWORD fvf, GLuint vao);
    GLuint StreamVao(DWORD fvf, std::uint32_t stride);
    GLuint StaticVao(GLuint vertexBuffer, GLuint indexBuffer, DWORD fvf, std::uint32_t stride);
    void Count(std::uint32_t primitives);

    struct FramebufferEntry {
        GLuint textures[kMaxRenderTargets];
        GLuint depth; // the renderbuffer attached, 0 for none
        GLuint fbo;
    };
    GLuint DepthForTarget0() const;
    struct VaoEntry {
        GLuint vertexBuffer, indexBuffer;
        DWORD fvf;
        std::uint32_t stride;
        GLuint vao;
    };

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    std::shared_ptr<GlShared> shared_;
    GlStateCache gl_;
    DeviceState state_;
    D3DPRESENT_PARAMETERS present_;
    DeviceCounters counters_;
    GlPhaseTimer phaseTimer_;

    std::shared_ptr<GlSurface> backBuffer_, depth_;
    std::shared_ptr<GlDepthSurface> depthInForce_; // null: the back buffer's
    GLuint backBufferTexture_ = 0, depthRenderbuffer_ = 0, presentFbo_ = 0;
    std::shared_ptr<Surface> targets_[kMaxRenderTargets];
    std::vector<FramebufferEntry> framebuffers_;
    GLuint currentFbo_ = 0;
    int viewportW_ = 0, viewportH_ = 0; // render target 0's size
    std::optional<RECT> viewArea_;      // the viewport inside it, when not the whole target
    void ApplyViewport();
    bool targetsDirty_ = true;
    ScissorState scissor_;
    bool clearTexture_ = false; // glClearTexSubImage is there
    // The window's buffer as the back buffer: possible (depth and stencil there, clip control), in
    // force this frame, bound now; a frame that had to leave it sets textureNeeded_ and the next
    // frame starts offscreen. lastShownInWindow_: the picture last presented was never copied out.
    bool windowCapable_ = false, windowDirect_ = false, windowBound_ = false;
    bool textureNeeded_ = false, keepPicture_ = false, lastShownInWindow_ = false;
    bool clipTop_ = false, drawnSincePresent_ = false;

    std::shared_ptr<Texture> texture0_;
    std::shared_ptr<GeometryBuffer> streamHold_, indexHold_;
    StreamBuffer vertexStream_, indexStream_;
    std::vector<VaoEntry> streamVaos_, staticVaos_;

    GlFixedFunction fixedFunction_;
    bool fixedStateDirty_ = true;
    bool renderStatesDirty_ = true;
    GLuint deviceSampler_ = 0, singleLevelSampler_ = 0;
    bool samplerDirty_ = true;
    GlEffect* activeEffect_ = nullptr;

    GLuint spriteProgram_ = 0, spriteVao_ = 0, spriteIndices_ = 0, spriteSampler_ = 0;
    GLint spriteViewport_ = -1;
    std::uint32_t spriteIndexQuads_ = 0;
};

} // namespace gpu
