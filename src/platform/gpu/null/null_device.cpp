// The Null device: state keeping, resource creation, draw validation and logging.
#include "platform/gpu/null/null_device.h"

#include "platform/gpu/backends.h"
#include "platform/gpu/null/null_effect.h"
#include "platform/gpu/null/null_sprite.h"
#include "platform/gpu/null/null_texture.h"

namespace gpu {

std::unique_ptr<Device> CreateNullDevice(std::uint32_t width, std::uint32_t height, bool recordDraws) {
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) return nullptr;
    auto device = std::make_unique<NullDevice>(width, height);
    device->SetLogging(recordDraws);
    return device;
}

NullDevice::NullDevice(std::uint32_t width, std::uint32_t height)
    : backBuffer_(std::make_shared<NullSurface>(width, height, D3DFMT_X8R8G8B8, nullptr)),
      depth_(std::make_shared<NullSurface>(width, height, D3DFMT_D24S8, nullptr)),
      link_(std::make_shared<NullDeviceLink>()) {
    present_.BackBufferWidth = width;
    present_.BackBufferHeight = height;
    present_.BackBufferFormat = D3DFMT_X8R8G8B8;
    present_.BackBufferCount = 2;
    present_.Windowed = true;
    present_.EnableAutoDepthStencil = true;
    present_.AutoDepthStencilFormat = D3DFMT_D24S8;
    present_.PresentationInterval = 0x80000000u; // immediate
    targets_[0] = backBuffer_;
    link_->device = this;
}

NullDevice::~NullDevice() { link_->device = nullptr; }

template <class T> void NullDevice::Append(std::vector<T>& log, T record) {
    if (log.size() >= kLogLimit) log.erase(log.begin(), log.begin() + kLogLimit / 2);
    log.push_back(std::move(record));
}

void NullDevice::ClearLogs() {
    spriteLog.clear();
    drawLog.clear();
    textLog.clear();
}

void NullDevice::Clear(DWORD flags, D3DCOLOR color, float, DWORD) {
    if (!(flags & D3DCLEAR_TARGET) || discardDraws_) return;
    for (auto& target : targets_)
        if (target) static_cast<NullSurface&>(*target).Fill(color);
}

void NullDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX* matrix) {
    D3DXMATRIX* slot = state_.Transform(state);
    if (slot && matrix) *slot = *matrix;
}

void NullDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DXMATRIX* matrix) const {
    const D3DXMATRIX* slot = state_.Transform(state);
    if (slot && matrix) *matrix = *slot;
}

void NullDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (index < kMaxLights && light) state_.lights[index] = *light;
}

void NullDevice::GetLight(DWORD index, D3DLIGHT9* light) const {
    if (index < kMaxLights && light) *light = state_.lights[index];
}

void NullDevice::LightEnable(DWORD index, BOOL enable) {
    if (index < kMaxLights) state_.lightEnabled[index] = enable != FALSE;
}

void NullDevice::SetMaterial(const D3DMATERIAL9* material) {
    if (material) state_.material = *material;
}

void NullDevice::SetTexture(DWORD stage, Texture* texture) {
    if (stage != 0) return;
    texture0_ = texture ? texture->weak_from_this().lock() : nullptr;
}

void NullDevice::SetStreamSource(GeometryBuffer* vertices, std::uint32_t stride) {
    streamHold_ = vertices ? vertices->weak_from_this().lock() : nullptr;
    state_.streamSource = vertices;
    state_.streamStride = stride;
}

void NullDevice::SetIndices(GeometryBuffer* indices) {
    indexHold_ = indices ? indices->weak_from_this().lock() : nullptr;
    state_.indices = indices;
}

bool NullDevice::AcceptDraw(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, bool dataPresent) {
    if (primitiveCount == 0 || discardDraws_) return false;
    if (!dataPresent || VertexCountOf(type, primitiveCount) == 0) {
        ++rejectedDraws;
        return false;
    }
    return true;
}

void NullDevice::LogDraw(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, bool indexed, bool userMemory) {
    ++counters_.draws;
    counters_.primitives += primitiveCount;
    if (!logging_) return;
    NullDrawRecord r;
    r.type = type;
    r.primitiveCount = primitiveCount;
    r.fvf = state_.fvf;
    r.indexed = indexed;
    r.userMemory = userMemory;
    for (int i = 0; i < kMaxRenderTargets; ++i) r.renderTargets[i] = targets_[i].get();
    r.effect = activeEffect_;
    if (activeTechnique_) r.technique = *activeTechnique_;
    r.pass = activePass_;
    r.texture0 = texture0_.get();
    Append(drawLog, std::move(r));
}

void NullDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, const void* vertices,
                                 std::uint32_t stride) {
    if (!AcceptDraw(type, primitiveCount, vertices && stride > 0)) return;
    LogDraw(type, primitiveCount, false, true);
}

void NullDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t, std::uint32_t vertexCount,
                                        std::uint32_t primitiveCount, const std::uint16_t* indices,
                                        const void* vertices, std::uint32_t stride) {
    if (!AcceptDraw(type, primitiveCount, indices && vertices && stride > 0 && vertexCount > 0)) return;
    LogDraw(type, primitiveCount, true, true);
}

std::shared_ptr<GeometryBuffer> NullDevice::CreateVertexBuffer(std::size_t bytes) {
    if (bytes == 0 || bytes > (std::size_t(1) << 30)) return nullptr;
    return std::make_shared<NullGeometryBuffer>(bytes);
}

std::shared_ptr<GeometryBuffer> NullDevice::CreateIndexBuffer(std::size_t bytes) { return CreateVertexBuffer(bytes); }

void NullDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, std::int32_t baseVertex, std::uint32_t minIndex,
                                      std::uint32_t vertexCount, std::uint32_t startIndex,
                                      std::uint32_t primitiveCount) {
    bool ok = state_.streamSource && state_.indices && state_.streamStride > 0;
    if (ok) {
        std::uint64_t indexEnd = (std::uint64_t(startIndex) + VertexCountOf(type, primitiveCount)) * 2;
        std::int64_t firstVertex = std::int64_t(baseVertex) + minIndex;
        std::uint64_t vertexEnd =
            std::uint64_t(std::max<std::int64_t>(firstVertex, 0) + vertexCount) * state_.streamStride;
        ok = indexEnd <= state_.indices->Size() && firstVertex >= 0 && vertexEnd <= state_.streamSource->Size();
    }
    if (!AcceptDraw(type, primitiveCount, ok)) return;
    LogDraw(type, primitiveCount, true, false);
}

std::shared_ptr<Texture> NullDevice::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                                   DWORD usage, D3DFORMAT format, D3DPOOL pool) {
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) return nullptr;
    if (!IsSupportedTextureFormat(format)) return nullptr;
    bool target = (usage & D3DUSAGE_RENDERTARGET) != 0;
    if (target && pool != D3DPOOL_DEFAULT) return nullptr;
    std::uint32_t full = FullMipCount(width, height);
    levels = target ? 1 : (levels == 0 || levels > full ? full : levels);
    return std::make_shared<NullTexture>(width, height, levels, usage, format);
}

bool NullDevice::SetRenderTarget(DWORD index, std::shared_ptr<Surface> surface) {
    if (index >= kMaxRenderTargets) return false;
    if (!surface) {
        if (index == 0) return false;
        targets_[index].reset();
        return true;
    }
    auto* null = dynamic_cast<NullSurface*>(surface.get());
    if (!null) return false;
    bool isBackBuffer = null == backBuffer_.get();
    bool isTarget = null->OwnerTexture() && null->OwnerTexture()->IsRenderTarget();
    if (!isBackBuffer && !isTarget) return false;
    targets_[index] = std::move(surface);
    return true;
}

std::shared_ptr<Surface> NullDevice::GetRenderTarget(DWORD index) const {
    return index < kMaxRenderTargets ? targets_[index] : nullptr;
}

std::shared_ptr<Surface> NullDevice::GetDepthStencilSurface() const {
    return depthInForce_ ? depthInForce_ : std::shared_ptr<Surface>(depth_);
}

std::shared_ptr<Surface> NullDevice::CreateDepthStencilSurface(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) return nullptr;
    return std::make_shared<NullSurface>(width, height, D3DFMT_D24S8, nullptr);
}

void NullDevice::SetDepthStencilSurface(std::shared_ptr<Surface> surface) { depthInForce_ = std::move(surface); }

bool NullDevice::ReadBackBuffer(std::vector<std::uint32_t>& pixels, std::uint32_t& width, std::uint32_t& height) {
    backBuffer_->ReadWords(pixels);
    for (auto& p : pixels) p |= 0xFF000000u; // the back buffer has no alpha channel
    width = backBuffer_->Width();
    height = backBuffer_->Height();
    return true;
}

bool NullDevice::ReadSurface(Surface& surface, std::vector<float>& rgba) {
    auto* null = dynamic_cast<NullSurface*>(&surface);
    return null && null->ReadFloats(rgba);
}

std::unique_ptr<Effect> NullDevice::CreateEffectFromFile(const std::string& path, std::string* errors,
                                                         const std::vector<std::string>&) {
    return NullEffect::Load(link_, path, errors);
}

std::unique_ptr<Sprite> NullDevice::CreateSprite() { return std::make_unique<NullSprite>(link_); }

std::unique_ptr<Font> NullDevice::CreateFont(const D3DXFONT_DESCA& desc) {
    return std::make_unique<NullFont>(link_, desc);
}

void NullDevice::SetActivePass(const NullEffect* effect, const std::string* technique, unsigned pass) {
    activeEffect_ = effect;
    activeTechnique_ = technique;
    activePass_ = pass;
}

void NullDevice::LogSprite(const NullSpriteRecord& record) {
    if (logging_) Append(spriteLog, record);
}

void NullDevice::LogText(NullTextRecord record) {
    if (logging_) Append(textLog, std::move(record));
}

void NullDevice::CountDraws(std::uint64_t draws, std::uint64_t primitives) {
    counters_.draws += draws;
    counters_.primitives += primitives;
}

} // namespace gpu
