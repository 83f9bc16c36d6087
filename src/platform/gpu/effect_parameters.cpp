// Parameter storage of an effect: typed writes by name, raw reads, change versions.
#include "platform/gpu/effect_parameters.h"

#include <algorithm>
#include <cstring>

#include "platform/gpu/device.h"

namespace gpu {

EffectParameters::EffectParameters(const std::vector<EffectUniform>& uniforms) {
    std::uint32_t offset = 0;
    for (const auto& u : uniforms) {
        bool duplicate = false;
        for (const auto& s : slots_) duplicate = duplicate || s.uniform.name == u.name;
        if (duplicate) continue; // the same uniform declared under both stage guards
        Slot slot;
        slot.uniform = u;
        slot.offset = offset;
        slot.words = ComponentsOf(u.type) * u.arraySize;
        slot.integer = IsIntegerType(u.type);
        if (u.type == UniformType::Sampler2D) slot.samplerUnit = samplerCount_++;
        offset += slot.words;
        slots_.push_back(std::move(slot));
    }
    values_.assign(offset, 0);
}

int EffectParameters::Find(const char* name) const {
    if (!name) return -1;
    // The pointer only picks a cache entry; the name is still compared, since a caller's buffer
    // may later hold another name at the same address.
    // Literals a few bytes apart must not share an entry, or two names set in turn every draw would
    // keep evicting each other: the whole address is mixed. strcmp reads both names once, where
    // comparing with the std::string would first measure the caller's name.
    const std::uint64_t mixed = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(name)) * kAddressMix;
    CacheEntry& entry = cache_[mixed >> (64 - kCacheBits)];
    if (entry.name == name && entry.index >= 0 && std::strcmp(slots_[entry.index].uniform.name.c_str(), name) == 0)
        return entry.index;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (std::strcmp(slots_[i].uniform.name.c_str(), name) == 0) {
            entry = {name, static_cast<int>(i)};
            return static_cast<int>(i);
        }
    }
    return -1;
}

void EffectParameters::Touch(Slot& slot) {
    ++slot.version;
    ++changeCount_;
}

void EffectParameters::WriteFloats(int index, const float* values, std::uint32_t count) {
    if (index < 0) return;
    Slot& slot = slots_[index];
    count = std::min(count, slot.words);
    if (count == 0) return;
    std::uint32_t* dst = &values_[slot.offset];
    if (slot.integer) {
        for (std::uint32_t k = 0; k < count; ++k) {
            std::int32_t v = static_cast<std::int32_t>(values[k]);
            std::memcpy(&dst[k], &v, 4);
        }
    } else {
        std::memcpy(dst, values, count * 4);
    }
    Touch(slot);
}

void EffectParameters::SetMatrix(const char* name, const D3DXMATRIX* matrix) {
    int i = Find(name);
    if (i < 0 || !matrix) return;
    UniformType type = slots_[i].uniform.type;
    if (type == UniformType::Mat4) {
        WriteFloats(i, matrix->data(), 16);
    } else if (type == UniformType::Mat3) {
        float m3[9];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m3[r * 3 + c] = matrix->m[r][c];
        WriteFloats(i, m3, 9);
    }
}

void EffectParameters::SetMatrixArray(const char* name, const D3DXMATRIX* matrices, std::uint32_t count) {
    int i = Find(name);
    if (i < 0 || !matrices || slots_[i].uniform.type != UniformType::Mat4) return;
    count = std::min(count, slots_[i].uniform.arraySize);
    WriteFloats(i, matrices->data(), count * 16);
}

void EffectParameters::SetVector(const char* name, const D3DXVECTOR4* vector) {
    int i = Find(name);
    if (i < 0 || !vector || slots_[i].uniform.type == UniformType::Mat3 || slots_[i].uniform.type == UniformType::Mat4)
        return;
    const float v[4] = {vector->x, vector->y, vector->z, vector->w};
    WriteFloats(i, v, 4);
}

void EffectParameters::SetFloat(const char* name, float value) { WriteFloats(Find(name), &value, 1); }

void EffectParameters::SetInt(const char* name, int value) {
    int i = Find(name);
    if (i < 0 || slots_[i].words == 0) return;
    Slot& slot = slots_[i];
    if (slot.integer) {
        std::memcpy(&values_[slot.offset], &value, 4);
        Touch(slot);
    } else {
        float f = static_cast<float>(value);
        WriteFloats(i, &f, 1);
    }
}

void EffectParameters::SetTexture(const char* name, Texture* texture) {
    int i = Find(name);
    if (i < 0 || slots_[i].uniform.type != UniformType::Sampler2D) return;
    Slot& slot = slots_[i];
    if (slot.texture == texture) return;
    slot.texture = texture;
    slot.hold = texture ? texture->weak_from_this().lock() : nullptr;
    Touch(slot);
}

void EffectParameters::SetValue(const char* name, const void* data, std::uint32_t bytes) {
    int i = Find(name);
    if (i < 0 || !data) return;
    Slot& slot = slots_[i];
    if (slot.uniform.type == UniformType::Sampler2D) {
        Texture* texture = nullptr;
        if (bytes == sizeof texture) std::memcpy(&texture, data, sizeof texture);
        if (bytes == sizeof texture) SetTexture(name, texture);
        return;
    }
    if (bytes == 0 || bytes > slot.words * 4) return; // larger than the parameter: refused as D3DX does
    std::memcpy(&values_[slot.offset], data, bytes);
    Touch(slot);
}

bool EffectParameters::GetValue(const char* name, void* data, std::uint32_t bytes) const {
    int i = Find(name);
    if (i < 0 || !data) return false;
    const Slot& slot = slots_[i];
    if (slot.uniform.type == UniformType::Sampler2D) {
        Texture* texture = slot.texture;
        if (bytes < sizeof texture) return false;
        std::memcpy(data, &texture, sizeof texture);
        return true;
    }
    if (bytes > slot.words * 4) return false;
    std::memcpy(data, &values_[slot.offset], bytes);
    return true;
}

} // namespace gpu
