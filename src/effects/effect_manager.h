// EffectManager: the effect textures, the live effects in creation order, and the glow pass.
//
// The manager owns every effect. Others keep an EffectHandle and look the effect up each time they
// use it: Get gives the effect while it lives and null once it has retired or been deleted, so a
// holder that outlives its effect finds nothing instead of freed memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "effects/base_effect.h"
#include "effects/effect_handle.h"
#include "race/race_random.h"
#include "render/glow_region.h"
#include "simplelib/texture.h"

struct EffectTextureEntry {
    std::string stem;
    std::shared_ptr<SimpleLib::CTexture> texture;
};

class EffectManager {
public:
    static EffectManager& Instance() { return *Holder(); }
    // Starts from a fresh singleton (tests).
    static void ResetInstance();

    EffectManager() = default;
    EffectManager(const EffectManager&) = delete;
    EffectManager& operator=(const EffectManager&) = delete;
    ~EffectManager();

    static constexpr const char* kEffectFolder = "data/Effect";

    // Registers every file of data/Effect under its stem and (re)creates the glow target.
    void LoadTextures();
    SimpleLib::CTexture* FindTexture(const std::string& name) const;
    // A new effect of the kind named exactly `kindName`, initialised and appended; no handle for an
    // unknown kind.
    EffectHandle Create(const std::string& kindName);
    // Appends an effect made elsewhere (not initialised here) and takes it over.
    EffectHandle Add(std::unique_ptr<BaseEffect> effect);
    // The effect the handle names, or null once it has retired, been deleted or cleared.
    BaseEffect* Get(EffectHandle handle) const;
    // Deletes retired effects and updates the others, front to back; effects created meanwhile
    // are updated in the same pass. Returns the number updated.
    std::size_t UpdateAll();
    void DrawAll();
    // A shared screen: the effects of one view are drawn into `viewArea` (pixels of the back buffer)
    // and its glow gathered there; unset, the whole screen.
    std::optional<RECT> viewArea;
    // And the seat whose view that is: effects kept for another seat's view are left out.
    std::optional<std::int32_t> viewSeat;
    // Every camera-facing effect turns to face a view's camera (turned by `cameraRotation`).
    void FaceAll(const D3DXMATRIX& cameraRotation);
    // Drops the textures and deletes every effect (the game scene's end).
    void Clear();

    // Effects not yet deleted (retired ones count until the next update pass), and the i-th of them
    // in update and drawing order.
    std::size_t LiveCount() const { return order.size(); }
    BaseEffect* Live(std::size_t i) const { return slots[order[i]].effect.get(); }

    // The effects' own random numbers, 0 .. bound - 1 (spark sizes and chances, light balls, trail
    // crosses): drawn apart from the race's, so that nothing shown can change a race.
    std::uint32_t Random(std::uint32_t bound) { return cosmetic.Below(bound); }
    void SeedRandom(std::uint64_t seed) { cosmetic.Seed(seed); }

    std::unordered_map<std::string, EffectTextureEntry> registry;
    SimpleLib::CTexture glowTarget;
    // The screen bounds of the quads drawn since DrawAll began (every effect quad reports itself).
    GlowRegion glowRegion;

private:
    struct Slot {
        std::unique_ptr<BaseEffect> effect;
        std::uint32_t generation = 1;
    };
    // Deletes the slot's effect; the slot's next effect gets a new generation.
    void FreeSlot(std::uint32_t index);

    void ScanEffectFolder(std::vector<std::string>* names);
    void DrawGlow(const std::vector<RECT>& lit);
    // Blacks out the glow target where the last frame lit it, which leaves all of it black.
    void ClearGlowTarget();
    void BeginGlowRegion();
    // The glow target in the format of the graphics level in force (kept when it already is).
    void CreateGlowTarget();

    std::vector<Slot> slots;
    std::vector<std::uint32_t> freeSlots;
    std::vector<std::uint32_t> order; // the slots of the live effects, oldest first
    std::vector<RECT> glowWritten_;   // where the glow target may not be black; all of it after (re)creation
    race::RaceRandom cosmetic;

    static std::unique_ptr<EffectManager>& Holder() {
        static std::unique_ptr<EffectManager> instance = std::make_unique<EffectManager>();
        return instance;
    }
};
