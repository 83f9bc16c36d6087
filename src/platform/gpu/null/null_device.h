// The Null rendering device: no window, no GPU. Keeps every state and resource, counts and logs draws.
//
// Resources keep their sizes and CPU data (locked textures, geometry bytes). Render targets do not
// rasterize: a Clear records the colour and a readback returns it, so headless frames stay cheap.
// Effects parse their file (techniques, passes, uniforms) and store parameter values.
// Tests inspect `spriteLog`, `drawLog` and `textLog`; each log keeps its most recent entries
// (older halves are dropped past kLogLimit) so long headless runs stay small.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/gpu/device_state.h"

namespace gpu {

class NullSurface;
class NullEffect;

struct NullSpriteRecord {
    const Texture* texture = nullptr;
    RECT source;          // the rectangle drawn (the whole texture when none was given)
    D3DXMATRIX transform; // sprite transform at the draw
    D3DCOLOR color = 0;
    float x = 0, y = 0;   // screen position of the image's top-left corner
    DWORD beginFlags = 0; // flags of the enclosing Begin
};

struct NullDrawRecord {
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    std::uint32_t primitiveCount = 0;
    DWORD fvf = 0;
    bool indexed = false;
    bool userMemory = false;
    const Surface* renderTargets[kMaxRenderTargets] = {};
    const Effect* effect = nullptr; // the effect whose pass was active, or null (fixed function)
    std::string technique;
    unsigned pass = 0;
    const Texture* texture0 = nullptr; // device texture stage 0
};

struct NullTextRecord {
    std::string text;
    RECT rect;
    DWORD format = 0;
    D3DCOLOR color = 0;
};

// Shared between the device and the objects it created, so either may go first.
struct NullDeviceLink {
    class NullDevice* device = nullptr;
};

class NullDevice final : public Device {
public:
    static constexpr std::size_t kLogLimit = 1u << 16;

    NullDevice(std::uint32_t width, std::uint32_t height);
    ~NullDevice() override;

    void Clear(DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    void BeginScene() override { inScene = true; }
    void EndScene() override { inScene = false; }
    void Present() override {
        if (!discardDraws_) ++counters_.frames;
    }
    const D3DPRESENT_PARAMETERS& PresentParameters() const override { return present_; }

    void SetTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX* matrix) override;
    void GetTransform(D3DTRANSFORMSTATETYPE state, D3DXMATRIX* matrix) const override;
    void SetLight(DWORD index, const D3DLIGHT9* light) override;
    void GetLight(DWORD index, D3DLIGHT9* light) const override;
    void LightEnable(DWORD index, BOOL enable) override;
    void SetMaterial(const D3DMATERIAL9* material) override;
    void SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override { state_.SetRenderState(state, value); }
    DWORD GetRenderState(D3DRENDERSTATETYPE state) const override { return state_.RenderState(state); }
    void SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
        state_.SetStageState(stage, type, value);
    }
    DWORD GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const override {
        return state_.SamplerState(sampler, type);
    }
    void SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override {
        state_.SetSamplerState(sampler, type, value);
    }
    void SetTexture(DWORD stage, Texture* texture) override;
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
    std::shared_ptr<Surface> GetRenderTarget(DWORD index) const override;
    std::shared_ptr<Surface> GetDepthStencilSurface() const override;
    std::shared_ptr<Surface> CreateDepthStencilSurface(std::uint32_t width, std::uint32_t height) override;
    void SetDepthStencilSurface(std::shared_ptr<Surface> surface) override;
    bool ReadBackBuffer(std::vector<std::uint32_t>& pixels, std::uint32_t& width, std::uint32_t& height) override;
    bool ReadSurface(Surface& surface, std::vector<float>& rgba) override;

    using Device::CreateEffectFromFile;
    std::unique_ptr<Effect> CreateEffectFromFile(const std::string& path, std::string* errors,
                                                 const std::vector<std::string>& linkNow) override;
    std::unique_ptr<Sprite> CreateSprite() override;
    std::unique_ptr<Font> CreateFont(const D3DXFONT_DESCA& desc) override;

    DeviceCounters& Counters() override { return counters_; }
    bool IsNull() const override { return true; }

    // ---- inspection for tests ----
    const DeviceState& State() const { return state_; }
    Texture* BoundTexture() const { return texture0_.get(); }
    bool LightEnabled(DWORD index) const { return index < kMaxLights && state_.lightEnabled[index]; }
    const D3DMATERIAL9& Material() const { return state_.material; }
    void ClearLogs();
    // Tests read the logs; a headless game run turns them off, since recording every draw
    // (with its technique name) was most of a headless frame's render time.
    void SetLogging(bool enabled) { logging_ = enabled; }

    std::vector<NullSpriteRecord> spriteLog;
    std::vector<NullDrawRecord> drawLog;
    std::vector<NullTextRecord> textLog;
    std::uint64_t rejectedDraws = 0; // draws refused for bad arguments (null data, out-of-range ranges)
    bool inScene = false;

    // ---- used by the Null effect, sprite and font ----
    void SetActivePass(const NullEffect* effect, const std::string* technique, unsigned pass);
    void LogSprite(const NullSpriteRecord& record);
    void LogText(NullTextRecord record);
    void CountDraws(std::uint64_t draws, std::uint64_t primitives);

private:
    bool AcceptDraw(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, bool dataPresent);
    void LogDraw(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, bool indexed, bool userMemory);
    template <class T> static void Append(std::vector<T>& log, T record);

    DeviceState state_;
    D3DPRESENT_PARAMETERS present_;
    DeviceCounters counters_;
    std::shared_ptr<NullSurface> backBuffer_;
    std::shared_ptr<NullSurface> depth_;
    std::shared_ptr<Surface> depthInForce_;
    std::shared_ptr<Surface> targets_[kMaxRenderTargets];
    std::shared_ptr<Texture> texture0_;
    std::shared_ptr<GeometryBuffer> streamHold_, indexHold_;
    const NullEffect* activeEffect_ = nullptr;
    const std::string* activeTechnique_ = nullptr;
    bool logging_ = true;
    unsigned activePass_ = 0;
    std::shared_ptr<NullDeviceLink> link_;
};

} // namespace gpu
