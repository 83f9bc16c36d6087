// What every backend's effect shares: the parsed file, parameter values, technique and pass bookkeeping.
#pragma once

#include <string>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/gpu/effect_file.h"
#include "platform/gpu/effect_parameters.h"

namespace gpu {

class EffectBase : public Effect {
public:
    explicit EffectBase(EffectFile file);

    bool SetTechnique(const char* name) override;
    bool Begin(unsigned* passes, DWORD flags) override;
    bool BeginPass(unsigned pass) override;
    void CommitChanges() override;
    void EndPass() override;
    void End() override;
    void SetMatrix(const char* name, const D3DXMATRIX* matrix) override { params_.SetMatrix(name, matrix); }
    void SetMatrixArray(const char* name, const D3DXMATRIX* matrices, std::uint32_t count) override {
        params_.SetMatrixArray(name, matrices, count);
    }
    void SetVector(const char* name, const D3DXVECTOR4* vector) override { params_.SetVector(name, vector); }
    void SetFloat(const char* name, float value) override { params_.SetFloat(name, value); }
    void SetInt(const char* name, int value) override { params_.SetInt(name, value); }
    void SetTexture(const char* name, Texture* texture) override { params_.SetTexture(name, texture); }
    void SetValue(const char* name, const void* data, std::uint32_t bytes) override {
        params_.SetValue(name, data, bytes);
    }
    bool GetValue(const char* name, void* data, std::uint32_t bytes) const override {
        return params_.GetValue(name, data, bytes);
    }
    std::vector<std::string> TechniqueNames() const override;

    const EffectFile& File() const { return file_; }
    const EffectParameters& Parameters() const { return params_; }
    const std::string& CurrentTechnique() const { return file_.techniques[technique_].name; }
    int ActivePass() const { return activePass_; }

protected:
    // Backend hooks: make a pass current (false if it cannot draw), upload changes, leave the pass.
    virtual bool OnBeginPass(int technique, unsigned pass) = 0;
    virtual void OnCommit() = 0;
    virtual void OnEndPass() = 0;

    EffectFile file_;
    EffectParameters params_;
    int technique_ = 0;
    bool begun_ = false;
    int activePass_ = -1;
};

} // namespace gpu
