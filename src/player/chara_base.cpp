// CharaBase: the flying character's defaults and its animated model.
#include "player/chara_base.h"

#include "simplelib/animator.h"
#include "simplelib/mesh_object.h"
#include "simplelib/resource_cache.h"
#include "simplelib/skin_mesh.h"

namespace {
constexpr const char* kSeatedSet = "座り";
constexpr double kStartBlendFrames = 20.0;
constexpr std::uint32_t kNoSet = 0xFFFFFFFF;
} // namespace

CharaBase::CharaBase() = default;

CharaBase::~CharaBase() = default;

void CharaBase::LoadModel(const char* path) {
    model = ResourceCache::Instance().GetSkinMesh(path);
    skeleton = std::make_shared<SimpleLib::CMeshObject>();
    animator = std::make_shared<SimpleLib::CAnimator>();
    if (model) skeleton->SetMesh(model);
    animator->Setup(*skeleton);

    const std::uint32_t seated = animator->FindAnimation(kSeatedSet);
    if (seated != kNoSet) animator->SetTrackAnimation(seated, 1.0f, 1.0, 0.0);

    // From the seated pose into the set stored after it (set 0 past the last one).
    const auto setCount = static_cast<std::uint32_t>(animator->sets.size());
    if (setCount == 0 || animator->tracks.empty()) return;
    const std::uint32_t playing = static_cast<std::uint32_t>(animator->tracks.front()->setIndex);
    const std::uint32_t next = playing + 1 < setCount ? playing + 1 : 0;
    animator->ChangeAnimation(next, 1.0, 0.0, 0.0, kStartBlendFrames);
}
