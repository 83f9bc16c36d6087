// The Null effect: tells the device which technique and pass the following draws belong to.
#include "platform/gpu/null/null_effect.h"

namespace gpu {

std::unique_ptr<Effect> NullEffect::Load(std::shared_ptr<NullDeviceLink> link, const std::string& path,
                                         std::string* errors) {
    EffectFile file;
    std::string error;
    if (!LoadEffectFile(path, &file, &error)) {
        if (errors) *errors = error;
        return nullptr;
    }
    return std::make_unique<NullEffect>(std::move(link), std::move(file));
}

NullEffect::NullEffect(std::shared_ptr<NullDeviceLink> link, EffectFile file)
    : EffectBase(std::move(file)), link_(std::move(link)) {}

NullEffect::~NullEffect() { End(); }

bool NullEffect::OnBeginPass(int technique, unsigned pass) {
    // The file's own name outlives the pass, so the device can point at it: nothing is copied per draw.
    if (link_->device) link_->device->SetActivePass(this, &file_.techniques[technique].name, pass);
    return true;
}

void NullEffect::OnEndPass() {
    if (link_->device) link_->device->SetActivePass(nullptr, nullptr, 0);
}

} // namespace gpu
