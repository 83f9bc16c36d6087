// SimpleLib::CAnimationSet: one animation's key lists per frame, copied out of the loaded controller.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mesh/hierarchy.h"

namespace SimpleLib {

struct D3DXFRAME_EX;

struct RotationKey {
    float time = 0;
    D3DXQUATERNION rotation; // the file's key with w negated
};
struct ScaleKey {
    float time = 0;
    D3DXVECTOR3 value;
};
struct TranslationKey {
    float time = 0;
    D3DXVECTOR3 value;
};

struct BoneKeys {
    std::vector<RotationKey> rotationKeys;
    std::vector<ScaleKey> scaleKeys;
    std::vector<TranslationKey> translationKeys;
};

class CAnimationSet {
public:
    std::string name;
    double ticksPerSecond = 60.0;
    double length = 0.0;                             // largest key time + 1
    std::vector<std::unique_ptr<BoneKeys>> boneKeys; // one per frame of the model, in its order
};

// Copies the controller's sets (in its order) into `sets`, one BoneKeys per frame; sets whose
// name begins with "//" are dropped.
void ExtractAnimationSets(const platform::mesh::AnimationController& controller,
                          const std::vector<D3DXFRAME_EX*>& frames, std::vector<std::shared_ptr<CAnimationSet>>* sets);

} // namespace SimpleLib
