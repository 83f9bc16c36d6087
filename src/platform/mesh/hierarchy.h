// Frame hierarchies with mesh containers and keyframed animations, loaded from .x files.
//
// Stands in for: D3DXFRAME, D3DXMESHCONTAINER, ID3DXAllocateHierarchy, D3DXLoadMeshHierarchyFromX,
// D3DXFrameDestroy, and the keyframed animation sets of ID3DXAnimationController.
// Loading calls the allocator frame by frame in file order: CreateFrame, then CreateMeshContainer for
// each of the frame's meshes (linked through pNextMeshContainer), then the child frames
// (pFrameFirstChild, then pFrameSibling), recursively. Top-level frames
// are siblings of the returned root; a mesh outside any frame gets a nameless frame of its own.
// Each container's mesh has the file's vertex format (position, normals and texture coordinates when
// the file has them), its materials and adjacency come with it, and its skin information when the
// mesh has SkinWeights. When the allocator fails, everything made so far is destroyed through it and
// its error is returned.
// Animation sets keep the file's order. Rotation keys are the file's quaternions as written; matrix
// keys are split into scale, rotation (in the same file convention) and translation keys.
// Does not: user data loaders, progressive or patch meshes, animation callbacks, playing animations
// (the game plays them itself).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mesh/mesh.h"
#include "platform/mesh/skin_info.h"

enum D3DXMESHDATATYPE : DWORD { D3DXMESHTYPE_MESH = 1, D3DXMESHTYPE_PMESH = 2, D3DXMESHTYPE_PATCHMESH = 3 };

struct D3DXMESHDATA {
    D3DXMESHDATATYPE Type = D3DXMESHTYPE_MESH;
    std::shared_ptr<platform::mesh::Mesh> pMesh;
};

struct D3DXMESHCONTAINER {
    virtual ~D3DXMESHCONTAINER() = default;
    std::string Name;
    D3DXMESHDATA MeshData;
    std::vector<D3DXMATERIAL> pMaterials;
    void* pEffects = nullptr; // always empty
    DWORD NumMaterials = 0;
    std::vector<DWORD> pAdjacency;
    std::shared_ptr<platform::mesh::SkinInfo> pSkinInfo;
    D3DXMESHCONTAINER* pNextMeshContainer = nullptr;
};

struct D3DXFRAME {
    virtual ~D3DXFRAME() = default;
    std::string Name;
    D3DXMATRIX TransformationMatrix;
    D3DXMESHCONTAINER* pMeshContainer = nullptr;
    D3DXFRAME* pFrameSibling = nullptr;
    D3DXFRAME* pFrameFirstChild = nullptr;
};

// The loader builds and destroys frames and containers only through this object.
class ID3DXAllocateHierarchy {
public:
    virtual ~ID3DXAllocateHierarchy() = default;
    virtual HRESULT CreateFrame(const char* name, D3DXFRAME** newFrame) = 0;
    virtual HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                        const void* effectInstances, DWORD numMaterials, const DWORD* adjacency,
                                        std::shared_ptr<platform::mesh::SkinInfo> skinInfo,
                                        D3DXMESHCONTAINER** newMeshContainer) = 0;
    virtual HRESULT DestroyFrame(D3DXFRAME* frame) = 0;
    virtual HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* meshContainer) = 0;
};

namespace platform::mesh {

// The keys of one animated frame.
struct KeyframedAnimation {
    std::string name; // the frame's name
    std::vector<D3DXKEY_VECTOR3> scaleKeys;
    std::vector<D3DXKEY_QUATERNION> rotationKeys;
    std::vector<D3DXKEY_VECTOR3> translationKeys;
};

class KeyframedAnimationSet {
public:
    const char* GetName() const { return name.c_str(); }
    double GetSourceTicksPerSecond() const { return ticksPerSecond; }
    DWORD GetNumAnimations() const { return DWORD(animations.size()); }
    // The first animation of the frame name; false when there is none.
    bool GetAnimationIndexByName(const char* frameName, DWORD* index) const;
    // Largest key time of the set (0 when it has no keys).
    double GetPeriod() const;

    std::string name;
    double ticksPerSecond = 4800.0;
    std::vector<KeyframedAnimation> animations;
};

class AnimationController {
public:
    DWORD GetNumAnimationSets() const { return DWORD(sets.size()); }
    std::shared_ptr<KeyframedAnimationSet> GetAnimationSet(DWORD index) const;

    std::vector<std::shared_ptr<KeyframedAnimationSet>> sets;
};

} // namespace platform::mesh

using ID3DXAnimationController = platform::mesh::AnimationController;
using ID3DXKeyframedAnimationSet = platform::mesh::KeyframedAnimationSet;

// Loads the hierarchy; *animationController is null when the file has no animation set. On failure
// *rootFrame is null, nothing stays allocated, and *error (when given) says why.
HRESULT D3DXLoadMeshHierarchyFromX(const std::string& path, DWORD options, gpu::Device* device,
                                   ID3DXAllocateHierarchy* allocator, void* userDataLoader, D3DXFRAME** rootFrame,
                                   std::shared_ptr<platform::mesh::AnimationController>* animationController,
                                   std::string* error = nullptr);

// Destroys a frame, its containers, its children and its following siblings through the allocator.
HRESULT D3DXFrameDestroy(D3DXFRAME* frame, ID3DXAllocateHierarchy* allocator);
