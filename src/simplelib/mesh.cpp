// CMesh: load a .x model with its materials and textures, draw it subset by subset.
#include "simplelib/mesh.h"

#include <cstdio>

#include "platform/fs/directory.h"
#include "render/graphics_device.h"
#include "simplelib/model_materials.h"

namespace SimpleLib {

bool CMesh::Load(gpu::Device* device, const std::string& path) {
    Release();
    fileName = platform::fs::FileNamePart(path);
    const std::string directory = platform::fs::DirectoryPart(path);
    std::vector<D3DXMATERIAL> loaded;
    DWORD count = 0;
    std::string error;
    if (!D3DXLoadMeshFromX(path, D3DXMESH_MANAGED, device, &adjacency, &loaded, &count, &mesh, &error)) {
        // The game goes on without the model; the player or modder still learns why.
        std::fprintf(stderr, "xfile: %s\n", error.empty() ? (path + ": cannot load").c_str() : error.c_str());
        adjacency.clear();
        return false;
    }
    materialCount = int(count);
    // Textures go on the application's device even when the mesh was made on another.
    LoadModelMaterials(GraphicsDevice::Instance().device.get(), loaded, directory, &materials, &textures);
    return true;
}

void CMesh::Draw() {
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (!device || !mesh) return;
    DrawModelSubsets(*device, *mesh, materials, textures.get(), nullptr);
}

void CMesh::Release() {
    ReleaseModelTextures(&textures, std::size_t(materialCount));
    materials.clear();
    materialCount = 0;
    adjacency.clear();
    mesh.reset();
    fileName.clear();
}

} // namespace SimpleLib
