// Copies the loaded controller's keyframed sets into the game's own per-frame key lists.
#include "simplelib/animation_set.h"

#include <algorithm>

#include "simplelib/mesh_container.h"

namespace SimpleLib {

void ExtractAnimationSets(const platform::mesh::AnimationController& controller,
                          const std::vector<D3DXFRAME_EX*>& frames, std::vector<std::shared_ptr<CAnimationSet>>* sets) {
    for (DWORD i = 0; i < controller.GetNumAnimationSets(); ++i) {
        auto source = controller.GetAnimationSet(i);
        if (!source) continue;
        auto set = std::make_shared<CAnimationSet>();
        set->name = source->GetName();
        set->ticksPerSecond = source->GetSourceTicksPerSecond();
        // Sets named like a comment are the animator's notes, never played.
        if (set->name.rfind("//", 0) == 0) continue;
        double largest = 0;
        set->boneKeys.reserve(frames.size());
        for (D3DXFRAME_EX* frame : frames) {
            auto keys = std::make_unique<BoneKeys>();
            DWORD index = 0;
            if (frame && source->GetAnimationIndexByName(frame->Name.c_str(), &index)) {
                const platform::mesh::KeyframedAnimation& anim = source->animations[index];
                for (const auto& k : anim.rotationKeys) {
                    D3DXQUATERNION q = k.Value;
                    q.w = -q.w;
                    keys->rotationKeys.push_back({k.Time, q});
                    largest = std::max(largest, double(k.Time));
                }
                for (const auto& k : anim.scaleKeys) {
                    keys->scaleKeys.push_back({k.Time, k.Value});
                    largest = std::max(largest, double(k.Time));
                }
                for (const auto& k : anim.translationKeys) {
                    keys->translationKeys.push_back({k.Time, k.Value});
                    largest = std::max(largest, double(k.Time));
                }
            }
            set->boneKeys.push_back(std::move(keys));
        }
        set->length = largest + 1.0;
        sets->push_back(std::move(set));
    }
}

} // namespace SimpleLib
