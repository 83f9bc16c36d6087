// SimpleLib::CMeshObject: one character's instance of a skinned model, a tree of animated bone nodes.
#pragma once

#include <memory>
#include <vector>

#include "simplelib/skin_mesh.h"

namespace SimpleLib {

class CMeshObject {
public:
    struct BoneNode {
        D3DXFRAME_EX* frame = nullptr;
        BoneNode* parent = nullptr;
        std::vector<BoneNode*> children;
        int depth = 0;
        D3DXMATRIX local;                   // animated local matrix
        D3DXMATRIX combined;                // local times the parent's combined
        D3DXMATRIX skin = MatrixIdentity(); // the frame's offset times combined
    };

    CMeshObject() = default;
    CMeshObject(const CMeshObject&) = delete;
    CMeshObject& operator=(const CMeshObject&) = delete;
    ~CMeshObject() { Clear(); }

    // Replaces the model and rebuilds the nodes; false when the model has no frames.
    bool SetMesh(std::shared_ptr<CSkinMesh> model);
    void Clear();
    // Recomputes combined and skin of the node and its subtree.
    void UpdateBoneMatrices(BoneNode* node, const D3DXMATRIX& parentMatrix);

    std::shared_ptr<CSkinMesh> mesh;
    std::vector<std::unique_ptr<BoneNode>> bones;
};

} // namespace SimpleLib
