// CPU-side values of an effect's parameters, with change versions so a backend uploads only what changed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gpu/d3d_types.h"
#include "platform/gpu/effect_file.h"

namespace gpu {

class Texture;

class EffectParameters {
public:
    struct Slot {
        EffectUniform uniform;
        std::uint32_t offset = 0;      // first 32-bit word in the value store
        std::uint32_t words = 0;       // 32-bit words of the whole (array) value
        std::uint32_t version = 0;     // bumped by every set
        bool integer = false;          // stored as ints (set once: every write asks)
        int samplerUnit = -1;          // texture unit of a sampler2D
        Texture* texture = nullptr;    // as set (GetValue reads it back)
        std::shared_ptr<Texture> hold; // keeps it alive, as D3DX holds a set texture
    };

    explicit EffectParameters(const std::vector<EffectUniform>& uniforms);

    // Index of a parameter or -1. Callers pass the same string literals every frame, so the
    // last index found for a pointer is remembered and only confirmed by one comparison.
    int Find(const char* name) const;

    void SetMatrix(const char* name, const D3DXMATRIX* matrix);
    void SetMatrixArray(const char* name, const D3DXMATRIX* matrices, std::uint32_t count);
    void SetVector(const char* name, const D3DXVECTOR4* vector);
    void SetFloat(const char* name, float value);
    void SetInt(const char* name, int value);
    void SetTexture(const char* name, Texture* texture);
    void SetValue(const char* name, const void* data, std::uint32_t bytes);
    bool GetValue(const char* name, void* data, std::uint32_t bytes) const;

    const std::vector<Slot>& Slots() const { return slots_; }
    const std::uint32_t* Words(const Slot& slot) const { return &values_[slot.offset]; }
    // Incremented on every change; a backend compares it to skip unchanged commits entirely.
    std::uint32_t ChangeCount() const { return changeCount_; }
    int SamplerCount() const { return samplerCount_; }

private:
    // Writes `count` floats into a slot, converting to ints for integer uniforms.
    void WriteFloats(int index, const float* values, std::uint32_t count);
    void Touch(Slot& slot);

    std::vector<Slot> slots_;
    std::vector<std::uint32_t> values_;
    std::uint32_t changeCount_ = 1;
    int samplerCount_ = 0;

    struct CacheEntry {
        const char* name = nullptr;
        int index = -1;
    };
    static constexpr int kCacheBits = 6;
    static constexpr std::uint64_t kAddressMix = 0x9E3779B97F4A7C15ull; // Fibonacci hashing
    mutable std::array<CacheEntry, std::size_t(1) << kCacheBits> cache_{};
};

} // namespace gpu
