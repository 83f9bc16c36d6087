// SimpleLib::CAnimator: plays a character's animation sets on its bone nodes with cross-fades.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "simplelib/animator_track.h"
#include "simplelib/mesh_object.h"

namespace SimpleLib {

class CAnimator {
public:
    struct BoneOutput {
        D3DXMATRIX* target = nullptr;
        std::uint32_t rotationHint = 0, scaleHint = 0, translationHint = 0;
        bool blendRotation = true, blendScale = true, blendTranslation = true;
    };

    CAnimator() { Reset(); }

    void Setup(CMeshObject& meshObject);
    void Reset();
    // Index of the first set named exactly `name`, or 0xFFFFFFFF.
    std::uint32_t FindAnimation(const std::string& name) const;
    bool SetTrackAnimation(std::uint32_t setIndex, float weight, double speed, double position);
    bool ChangeAnimation(std::uint32_t setIndex, double speed, double position, double delay, double duration);
    // dt in frames of the main loop; evaluates the pose afterwards whatever dt was.
    void AdvanceTime(double dt);
    void Evaluate();

    // Key sampling at time t with a segment hint; false when the list is empty.
    static bool SampleRotation(const std::vector<RotationKey>& keys, double t, std::uint32_t& hint,
                               D3DXQUATERNION* out);
    static bool SampleScale(const std::vector<ScaleKey>& keys, double t, std::uint32_t& hint, D3DXVECTOR3* out);
    static bool SampleTranslation(const std::vector<TranslationKey>& keys, double t, std::uint32_t& hint,
                                  D3DXVECTOR3* out);

    std::vector<std::shared_ptr<CAnimationSet>> sets;
    std::deque<std::shared_ptr<CAnimatorTrack>> tracks;
    std::vector<BoneOutput> boneOutputs;

private:
    void EvaluateBone(std::size_t bone, BoneOutput& output);
};

} // namespace SimpleLib
