// Technique selection and the Begin / BeginPass / EndPass / End sequence of an effect.
#include "platform/gpu/effect_base.h"

namespace gpu {

EffectBase::EffectBase(EffectFile file) : file_(std::move(file)), params_(file_.uniforms) {}

bool EffectBase::SetTechnique(const char* name) {
    if (!name) return false;
    for (std::size_t i = 0; i < file_.techniques.size(); ++i) {
        if (file_.techniques[i].name == name) {
            technique_ = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool EffectBase::Begin(unsigned* passes, DWORD) {
    if (activePass_ >= 0) EndPass();
    begun_ = true;
    if (passes) *passes = static_cast<unsigned>(file_.techniques[technique_].passes.size());
    return true;
}

bool EffectBase::BeginPass(unsigned pass) {
    if (!begun_ || pass >= file_.techniques[technique_].passes.size()) return false;
    if (activePass_ >= 0) EndPass();
    if (!OnBeginPass(technique_, pass)) return false;
    activePass_ = static_cast<int>(pass);
    return true;
}

void EffectBase::CommitChanges() {
    if (activePass_ >= 0) OnCommit();
}

void EffectBase::EndPass() {
    if (activePass_ < 0) return;
    OnEndPass();
    activePass_ = -1;
}

void EffectBase::End() {
    EndPass();
    begun_ = false;
}

std::vector<std::string> EffectBase::TechniqueNames() const {
    std::vector<std::string> names;
    for (const auto& t : file_.techniques) names.push_back(t.name);
    return names;
}

} // namespace gpu
