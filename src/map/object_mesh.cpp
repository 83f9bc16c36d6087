// NEditer::ObjectMesh: loads a kind's .x model, its materials and textures, in the map's vertex layout.
#include "map/object_mesh.h"

#include <cstdio>

#include "platform/fs/directory.h"
#include "simplelib/model_materials.h"

namespace NEditer {

namespace {
constexpr DWORD kCloneOptions = D3DXMESH_MANAGED | D3DXMESH_NPATCHES; // 0x4220
}

ObjectMesh::~ObjectMesh() { Release(); }

bool ObjectMesh::Load(gpu::Device* device, const std::string& path) {
    Release();
    const std::string directory = platform::fs::DirectoryPart(path);
    fileName = platform::fs::FileNamePart(path);

    std::vector<D3DXMATERIAL> loadedMaterials;
    DWORD count = 0;
    std::shared_ptr<platform::mesh::Mesh> loaded;
    std::string error;
    if (!D3DXLoadMeshFromX(path, D3DXMESH_MANAGED, device, &adjacency, &loadedMaterials, &count, &loaded, &error) ||
        !loaded || count != loadedMaterials.size()) {
        std::fprintf(stderr, "map: model %s\n", error.empty() ? (path + ": cannot load").c_str() : error.c_str());
        Release();
        return false;
    }
    std::shared_ptr<platform::mesh::Mesh> clone = loaded->CloneMeshFVF(kCloneOptions, kVertexFormat, device);
    if (!clone) {
        Release();
        return false;
    }

    materialCount = static_cast<std::int32_t>(count);
    // A missing texture leaves the record empty; the shader then uses its white texture.
    SimpleLib::LoadModelMaterials(device, loadedMaterials, directory, &materials, &textures);
    mesh = std::move(clone);
    parts.mesh = mesh.get();
    parts.materials = materials.data();
    parts.textures = textures.get();
    parts.materialCount = count;
    return true;
}

void ObjectMesh::Release() {
    SimpleLib::ReleaseModelTextures(&textures, static_cast<std::size_t>(materialCount));
    materials.clear();
    materialCount = 0;
    adjacency.clear();
    mesh.reset();
    fileName.clear();
    parts = StaticMeshParts{};
}

void ObjectMesh::Draw(gpu::Device* device, const D3DMATERIAL9* material) {
    if (!mesh || !device) return;
    SimpleLib::DrawModelSubsets(*device, *mesh, materials, textures.get(), material);
}

} // namespace NEditer
