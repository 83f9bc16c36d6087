// SimpleLib::CSkinMesh: a skinned, animated model shared by every character that uses its file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "simplelib/animation_set.h"
#include "simplelib/mesh_container.h"

namespace SimpleLib {

class CSkinMesh {
public:
    CSkinMesh() = default;
    CSkinMesh(const CSkinMesh&) = delete;
    CSkinMesh& operator=(const CSkinMesh&) = delete;
    ~CSkinMesh() { Release(); }

    // Loads on the application's device; false leaves the record empty (lastError says why).
    bool Load(const std::string& path);
    void Release();

    std::string directory;
    std::string fileName;
    std::vector<D3DXFRAME_EX*> frames; // pre-order; entry 0 is the root; owns the hierarchy
    std::vector<MeshContainer*> containers;
    std::vector<std::shared_ptr<CAnimationSet>> animationSets;
    std::string lastError;

private:
    void CollectFrames(D3DXFRAME_EX* frame, D3DXFRAME_EX* parent);
    void BindBones();
};

} // namespace SimpleLib
