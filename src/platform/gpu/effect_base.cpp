// Technique selection and the Begin / BeginPass / EndPass / End sequence of an effect.
#include "platform/gpu/effect_base.h"

#include <cstring>

namespace gpu {

EffectBase::EffectBase(EffectFile file) : file_(std::move(file)), params_(file_.uniforms) {}

bool EffectBase::SetTechnique(const char* name) {
    if (!name) return false;
    // Every quad selects its technique again; the one already selected is checked first.
    if (std::size_t(technique_) < file_.techniques.size() &&
        std::strcmp(file_.techniques[technique_].name.c_str(), name) == 0)
        return true;
    for (std::size_t i = 0; i < file_.techniques.size(); ++i) {
        if (std::strcmp(file_.techniques[i].name.c_str(), name) == 0) {
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
