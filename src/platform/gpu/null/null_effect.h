// The Null device's effect: the parsed file and stored parameters, no programs.
#pragma once

#include <memory>
#include <string>

#include "platform/gpu/effect_base.h"
#include "platform/gpu/null/null_device.h"

namespace gpu {

class NullEffect final : public EffectBase {
public:
    static std::unique_ptr<Effect> Load(std::shared_ptr<NullDeviceLink> link, const std::string& path,
                                        std::string* errors);
    NullEffect(std::shared_ptr<NullDeviceLink> link, EffectFile file);
    ~NullEffect() override;

    std::uint32_t commits = 0; // CommitChanges calls inside a pass (tests)

protected:
    bool OnBeginPass(int technique, unsigned pass) override;
    void OnCommit() override { ++commits; }
    void OnEndPass() override;

private:
    std::shared_ptr<NullDeviceLink> link_;
};

} // namespace gpu
