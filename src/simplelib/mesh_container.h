// The frame and mesh-container records of a skinned model's hierarchy.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/mesh/hierarchy.h"
#include "simplelib/texture.h"

namespace SimpleLib {

// One frame of the hierarchy with the bind pose and bone data the game adds.
struct D3DXFRAME_EX : D3DXFRAME {
    D3DXMATRIX offset = MatrixIdentity();   // bone offset (or the inverse bind pose, see CSkinMesh::Load)
    std::int32_t index = -1;                // position in CSkinMesh::frames
    D3DXMATRIX combined = MatrixIdentity(); // bind pose: TransformationMatrix times the parent's combined
    D3DXFRAME_EX* parent = nullptr;
};

// One mesh of a frame, converted for indexed vertex blending when it is skinned.
struct MeshContainer : D3DXMESHCONTAINER {
    std::unique_ptr<CTexture[]> textures;             // one per material (at least one)
    std::shared_ptr<platform::mesh::Mesh> sourceMesh; // as loaded, with normals
    DWORD maxVertexInfluences = 0;                    // the shader's "CurNumBones"
    DWORD boneCombinationCount = 0;
    std::vector<D3DXBONECOMBINATION> boneCombinations;
    std::vector<D3DXFRAME_EX*> boneFrames; // per bone of pSkinInfo, the frame of the same name (null: none)
    DWORD paletteSize = 0;
};
using D3DXMESHCONTAINER_EX = MeshContainer;

// Bone matrices per draw call of a skinned container.
inline constexpr DWORD kMaxPaletteSize = 26;

} // namespace SimpleLib
