// CMesh: load a .x model with its materials and textures, draw it subset by subset.
#include "simplelib/mesh.h"

#include <cstdio>

#include "render/graphics_device.h"
#include "simplelib/path_parts.h"

namespace SimpleLib {

bool CMesh::Load(gpu::Device* device, const std::string& path) {
    Release();
    fileName = FileNamePart(path);
    const std::string directory = DirectoryPart(path);
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
    textures = std::make_unique<CTexture[]>(count);
    materials.resize(count);
    for (DWORD i = 0; i < count; ++i) {
        materials[i] = loaded[i].MatD3D;
        materials[i].Ambient = materials[i].Diffuse;
        if (!loaded[i].TextureFilename.empty()) textures[i].Load(directory + loaded[i].TextureFilename, false);
    }
    return true;
}

void CMesh::Draw() {
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (!device || !mesh) return;
    for (int i = 0; i < materialCount; ++i) {
        device->SetMaterial(&materials[i]);
        device->SetTexture(0, textures[i].texture.get());
        mesh->DrawSubset(DWORD(i));
    }
}

void CMesh::Release() {
    if (textures)
        for (int i = 0; i < materialCount; ++i) textures[i].Release();
    textures.reset();
    materials.clear();
    materialCount = 0;
    adjacency.clear();
    mesh.reset();
    fileName.clear();
}

} // namespace SimpleLib
