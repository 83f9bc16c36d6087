// EffectManager: texture registry, the kind table, the update walk and the glow composite.
#include "effects/effect_manager.h"

#include <algorithm>
#include <vector>

#include "effects/arrow.h"
#include "effects/base_effect.h"
#include "effects/broom_effect.h"
#include "effects/cross.h"
#include "effects/light_ball.h"
#include "effects/magic_circle.h"
#include "effects/map_light_ball.h"
#include "effects/next_pt_arrow.h"
#include "effects/player_m_circle.h"
#include "effects/start_effect.h"
#include "effects/trajectory.h"
#include "platform/fs/directory.h"
#include "platform/window/message_box.h"
#include "render/graphics_device.h"
#include "render/graphics_quality.h"
#include "render/shader_manager.h"
#include "simplelib/resource_cache.h"

namespace {

struct KindEntry {
    const char* key;
    BaseEffect* (*make)();
};

template <class Kind> BaseEffect* Make() { return new Kind(); }

// The part of `rect` inside `clip`; empty when they do not meet.
RECT Clipped(const RECT& rect, const RECT& clip) {
    return RECT{std::max(rect.left, clip.left), std::max(rect.top, clip.top), std::min(rect.right, clip.right),
                std::min(rect.bottom, clip.bottom)};
}

constexpr KindEntry kKinds[] = {
    {"lightball", Make<LightBall>},       {"magiccircle", Make<MagicCircle>},
    {"broomeffect", Make<BroomEffect>},   {"trajectory", Make<Trajectory>},
    {"maplightball", Make<MapLightBall>}, {"nextptarrow", Make<NextPtArrow>},
    {"pmcircle", Make<PlayerMCircle>},    {"arrow", Make<Arrow>},
    {"starteffect", Make<StartEffect>},   {"cross", Make<Cross>},
};

void ShowScanError() { MessageBoxA(nullptr, "Effect:Error", "msg", MB_OK); }

void UnbindExtraTargets(gpu::Device& device) {
    for (DWORD i = 1; i <= 3; ++i) device.SetRenderTarget(i, nullptr);
}

} // namespace

void EffectManager::ResetInstance() { Holder() = std::make_unique<EffectManager>(); }

EffectManager::~EffectManager() { Clear(); }

void EffectManager::ScanEffectFolder(std::vector<std::string>* names) {
    platform::fs::DirectoryListing listing;
    platform::fs::FindData entry;
    if (!listing.FindFirst(std::string(kEffectFolder) + "/*", &entry)) {
        ShowScanError();
        return;
    }
    // The first entry is the folder's own; it is not looked at.
    while (listing.FindNext(&entry))
        if (!entry.directory) names->push_back(entry.fileName);
    if (listing.Status() != platform::fs::FindStatus::NoMoreFiles) ShowScanError();
}

void EffectManager::LoadTextures() {
    std::vector<std::string> names;
    ScanEffectFolder(&names);
    for (const std::string& fileName : names) {
        std::string path = std::string(kEffectFolder) + "/" + fileName;
        EffectTextureEntry entry{platform::fs::FileStem(path), ResourceCache::Instance().GetTexture(path)};
        registry[entry.stem] = std::move(entry);
    }
    glowTarget.Release();
    CreateGlowTarget();
}

void EffectManager::CreateGlowTarget() {
    const GraphicsQuality quality = GraphicsDevice::Instance().quality;
    // The low level draws no glow: a target of the screen's size would only hold memory.
    if (quality == GraphicsQuality::Low) {
        glowTarget.Release();
        return;
    }
    // An 8-bit target at both levels: the glow's translucent quads seldom add up past white (a 16-bit
    // target changed no pixel of the full race by more than 2 in 255), and 8 bits halve the target's
    // memory (3.7 MB at 1280 x 720) and what blending reads and writes.
    const D3DFORMAT format = D3DFMT_A8R8G8B8;
    if (glowTarget.surface && glowTarget.info.Format == format) return;
    glowTarget.Release();
    const D3DPRESENT_PARAMETERS& pp = GraphicsDevice::Instance().presentParameters;
    if (GraphicsDevice::Instance().device)
        glowTarget.Create(pp.BackBufferWidth, pp.BackBufferHeight, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT);
    glowWritten_.assign(
        1, RECT{0, 0, static_cast<std::int32_t>(pp.BackBufferWidth), static_cast<std::int32_t>(pp.BackBufferHeight)});
}

SimpleLib::CTexture* EffectManager::FindTexture(const std::string& name) const {
    auto it = registry.find(name);
    return it == registry.end() ? nullptr : it->second.texture.get();
}

EffectHandle EffectManager::Create(const std::string& kindName) {
    for (const KindEntry& kind : kKinds) {
        if (kindName != kind.key) continue;
        std::unique_ptr<BaseEffect> effect(kind.make());
        effect->Init();
        return Add(std::move(effect));
    }
    return {};
}

EffectHandle EffectManager::Add(std::unique_ptr<BaseEffect> effect) {
    std::uint32_t index;
    if (freeSlots.empty()) {
        index = static_cast<std::uint32_t>(slots.size());
        slots.emplace_back();
    } else {
        index = freeSlots.back();
        freeSlots.pop_back();
    }
    slots[index].effect = std::move(effect);
    order.push_back(index);
    return EffectHandle{index, slots[index].generation};
}

BaseEffect* EffectManager::Get(EffectHandle handle) const {
    if (!handle || handle.index >= slots.size()) return nullptr;
    const Slot& slot = slots[handle.index];
    if (slot.generation != handle.generation || !slot.effect || slot.effect->dead) return nullptr;
    return slot.effect.get();
}

void EffectManager::FreeSlot(std::uint32_t index) {
    Slot& slot = slots[index];
    slot.effect.reset();
    if (++slot.generation == 0) slot.generation = 1;
    freeSlots.push_back(index);
}

std::size_t EffectManager::UpdateAll() {
    std::size_t updated = 0, kept = 0;
    // Walked by position: an Update may append new effects, which this pass updates too. The live
    // ones close up behind the walk, so the order stays that of creation.
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::uint32_t index = order[i];
        BaseEffect& effect = *slots[index].effect;
        if (effect.dead) {
            effect.OnRetired();
            effect.ReleaseResources();
            FreeSlot(index);
            continue;
        }
        effect.Update();
        ++updated;
        order[kept++] = index;
    }
    order.resize(kept);
    return updated;
}

void EffectManager::DrawAll() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (!graphics.device) return;
    gpu::Device& device = *graphics.device;
    // Drawing an effect changes nothing but pixels. A picture that is thrown away leaves the glow
    // targets as the last shown picture left them, so the record of where they were written must
    // stay as it is too.
    if (device.DrawsDiscarded()) return;
    if (GraphicsDevice::Instance().quality != GraphicsQuality::Low) CreateGlowTarget();
    const bool glow = glowTarget.surface != nullptr && GraphicsDevice::Instance().quality != GraphicsQuality::Low;
    if (glow) ClearGlowTarget();
    if (glow) BeginGlowRegion();
    // Clearing the glow bound another target, which took the view's area with it.
    if (viewArea) device.SetViewport(*viewArea);
    device.SetFVF(BaseEffect::kVertexFormat);
    device.SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    if (glow) device.SetRenderTarget(1, glowTarget.surface);
    for (std::uint32_t index : order) {
        BaseEffect& effect = *slots[index].effect;
        if (viewSeat && effect.viewSeat >= 0 && effect.viewSeat != *viewSeat) continue;
        effect.Draw();
    }
    ShaderManager::Instance().mainShader.FlushQuads();
    if (glow) {
        device.SetRenderTarget(0, graphics.backBuffer);
        UnbindExtraTargets(device);
        glowWritten_ = glowRegion.Rects();
        glowRegion.End();
        DrawGlow(glowWritten_);
    }
    device.SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

void EffectManager::FaceAll(const D3DXMATRIX& cameraRotation) {
    for (std::uint32_t index : order) slots[index].effect->Face(cameraRotation);
}

void EffectManager::ClearGlowTarget() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    gpu::Device& device = *graphics.device;
    if (!glowWritten_.empty()) {
        device.SetRenderTarget(0, glowTarget.surface);
        device.ClearRects(glowWritten_, 0xFF000000);
        device.SetRenderTarget(0, graphics.backBuffer);
        UnbindExtraTargets(device);
    }
    glowWritten_.clear();
}

void EffectManager::BeginGlowRegion() {
    // The effect quads are placed by the main shader's camera, which the scene set for this frame.
    D3DXMATRIX view = MatrixIdentity(), projection = MatrixIdentity(), viewProjection;
    if (gpu::Effect* shader = ShaderManager::Instance().mainShader.effect.get()) {
        shader->GetValue("mV", &view, sizeof view);
        shader->GetValue("mP", &projection, sizeof projection);
    }
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    const D3DPRESENT_PARAMETERS& pp = GraphicsDevice::Instance().presentParameters;
    if (viewArea) {
        // The view's clip space squeezed into its area of the screen's, where its pixels land.
        const float width = static_cast<float>(pp.BackBufferWidth), height = static_cast<float>(pp.BackBufferHeight);
        const RECT& a = *viewArea;
        const float sx = static_cast<float>(a.right - a.left) / width,
                    sy = static_cast<float>(a.bottom - a.top) / height;
        const float ox = static_cast<float>(a.left + a.right) / width - 1.0f;
        const float oy = 1.0f - static_cast<float>(a.top + a.bottom) / height;
        viewProjection = viewProjection * MatrixScaling(sx, sy, 1.0f) * MatrixTranslation(ox, oy, 0.0f);
    }
    glowRegion.Begin(viewProjection, static_cast<int>(pp.BackBufferWidth), static_cast<int>(pp.BackBufferHeight));
}

void EffectManager::DrawGlow(const std::vector<RECT>& lit) {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    gpu::Device& device = *graphics.device;
    BlurFilter& blur = ShaderManager::Instance().blur;
    device.BeginPhase("blur");
    // Outside the blurred patches the glow is black, and adding black changes no pixel.
    const std::vector<GlowArea> patches = blur.Apply(glowTarget, lit);
    device.BeginPhase("glow");
    const D3DPRESENT_PARAMETERS& pp = graphics.presentParameters;
    device.SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    for (const GlowArea& patch : patches) {
        // A shared screen's view keeps its glow: the blur's spread past its edge is not added to
        // the neighbouring view.
        const RECT shown = viewArea ? Clipped(patch.shown, *viewArea) : patch.shown;
        if (RectEmpty(shown)) continue;
        device.SetScissorRect(&shown);
        blur.DrawTexture(0, 0, blur.targetB, static_cast<float>(pp.BackBufferWidth),
                         static_cast<float>(pp.BackBufferHeight), D3DXCOLOR(1.3f, 1.3f, 1.3f, 1.0f));
    }
    device.SetScissorRect(nullptr);
    device.SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void EffectManager::Clear() {
    registry.clear();
    // The slots stay, each a generation on, so no handle given out before names a later effect.
    for (std::uint32_t index : order) {
        slots[index].effect->ReleaseResources();
        FreeSlot(index);
    }
    order.clear();
}
