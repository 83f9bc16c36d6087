// SimpleLib::CAllocateHierarchy: builds and destroys the frames and mesh containers of a skinned model.
#pragma once

#include <string>

#include "simplelib/mesh_container.h"

namespace SimpleLib {

class CAllocateHierarchy : public ID3DXAllocateHierarchy {
public:
    explicit CAllocateHierarchy(std::string folder) : directory(std::move(folder)) {}

    HRESULT CreateFrame(const char* name, D3DXFRAME** newFrame) override;
    HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                const void* effectInstances, DWORD numMaterials, const DWORD* adjacency,
                                std::shared_ptr<platform::mesh::SkinInfo> skinInfo,
                                D3DXMESHCONTAINER** newMeshContainer) override;
    HRESULT DestroyFrame(D3DXFRAME* frame) override;
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* meshContainer) override;

    // Rebuilds the container's drawable mesh for indexed blending from its sourceMesh and skin.
    static HRESULT ConvertToBlended(MeshContainer* container);

    std::string directory; // texture paths are built as directory + the file's texture name
};

} // namespace SimpleLib
