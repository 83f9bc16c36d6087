// Bones of a skinned mesh and the conversion to an indexed blended mesh.
//
// Stands in for: ID3DXSkinInfo (bone names, offset matrices, influences) and its
// ConvertToIndexedBlendedMesh. The conversion keeps at most 4 influences per vertex (the strongest,
// renormalised), groups each attribute's faces into bone combinations whose bones fit a palette of
// the given size, duplicates vertices shared by two combinations, and writes vertices of format
// position + (influences - 1) weights + UBYTE4 palette indices + the source's other components.
// The shader derives the last weight as 1 minus the others.
// Does not: software skinning, non-indexed blended meshes, more than 4 influences per vertex.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mesh/mesh.h"

namespace platform::mesh {

inline constexpr DWORD kMaxInfluencesPerVertex = 4;

class SkinInfo {
public:
    SkinInfo(DWORD numVertices, DWORD fvf, DWORD numBones);

    DWORD GetNumBones() const { return DWORD(bones.size()); }
    DWORD GetNumVertices() const { return numVertices; }
    const char* GetBoneName(DWORD bone) const;
    bool SetBoneName(DWORD bone, const std::string& name);
    const D3DXMATRIX* GetBoneOffsetMatrix(DWORD bone) const;
    bool SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset);
    DWORD GetNumBoneInfluences(DWORD bone) const;
    bool GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights) const;
    // Vertex indices must be below the vertex count.
    bool SetBoneInfluence(DWORD bone, DWORD count, const DWORD* vertices, const float* weights);
    // Largest number of bones with a non-zero weight on one vertex.
    DWORD GetMaxVertexInfluences() const;

    // `adjacency` is accepted for the D3DX signature and not needed. False (outputs untouched) when
    // the source does not match this skin's vertex count, the palette is smaller than the bones of
    // one face, or the result would need more than 65535 vertices.
    bool ConvertToIndexedBlendedMesh(const Mesh* source, DWORD options, DWORD paletteSize, const DWORD* adjacency,
                                     DWORD* maxVertexInfluences, DWORD* numBoneCombinations,
                                     std::vector<D3DXBONECOMBINATION>* boneCombinations,
                                     std::shared_ptr<Mesh>* blendedMesh, std::string* error = nullptr) const;

private:
    struct Bone {
        std::string name;
        D3DXMATRIX offset;
        std::vector<DWORD> vertices;
        std::vector<float> weights;
    };
    DWORD numVertices;
    DWORD fvf;
    std::vector<Bone> bones;
};

} // namespace platform::mesh

using ID3DXSkinInfo = platform::mesh::SkinInfo;
