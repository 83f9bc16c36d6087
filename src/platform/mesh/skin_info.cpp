// Skin information and its conversion to an indexed blended mesh (bone palettes per draw call).
#include "platform/mesh/skin_info.h"

#include <algorithm>

namespace platform::mesh {

SkinInfo::SkinInfo(DWORD numVertices_, DWORD fvf_, DWORD numBones) : numVertices(numVertices_), fvf(fvf_) {
    bones.resize(numBones);
    for (Bone& b : bones) b.offset = MatrixIdentity();
}

const char* SkinInfo::GetBoneName(DWORD bone) const { return bone < bones.size() ? bones[bone].name.c_str() : nullptr; }

bool SkinInfo::SetBoneName(DWORD bone, const std::string& name) {
    if (bone >= bones.size()) return false;
    bones[bone].name = name;
    return true;
}

const D3DXMATRIX* SkinInfo::GetBoneOffsetMatrix(DWORD bone) const {
    return bone < bones.size() ? &bones[bone].offset : nullptr;
}

bool SkinInfo::SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset) {
    if (bone >= bones.size() || !offset) return false;
    bones[bone].offset = *offset;
    return true;
}

DWORD SkinInfo::GetNumBoneInfluences(DWORD bone) const {
    return bone < bones.size() ? DWORD(bones[bone].vertices.size()) : 0;
}

bool SkinInfo::GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights) const {
    if (bone >= bones.size() || !vertices || !weights) return false;
    std::copy(bones[bone].vertices.begin(), bones[bone].vertices.end(), vertices);
    std::copy(bones[bone].weights.begin(), bones[bone].weights.end(), weights);
    return true;
}

bool SkinInfo::SetBoneInfluence(DWORD bone, DWORD count, const DWORD* vertices, const float* weights) {
    if (bone >= bones.size() || (count > 0 && (!vertices || !weights))) return false;
    for (DWORD i = 0; i < count; ++i)
        if (vertices[i] >= numVertices) return false;
    bones[bone].vertices.assign(vertices, vertices + count);
    bones[bone].weights.assign(weights, weights + count);
    return true;
}

DWORD SkinInfo::GetMaxVertexInfluences() const {
    std::vector<DWORD> counts(numVertices, 0);
    DWORD most = 0;
    for (const Bone& b : bones)
        for (std::size_t i = 0; i < b.vertices.size(); ++i)
            if (b.weights[i] > 0) most = std::max(most, ++counts[b.vertices[i]]);
    return most;
}

} // namespace platform::mesh
