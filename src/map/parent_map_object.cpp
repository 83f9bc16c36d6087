// NEditer::ParentMapObject: the kind's shared model and the face normals the collision reads.
#include "map/parent_map_object.h"

#include "map/object_mesh.h"

namespace NEditer {

void ParentMapObject::LoadMesh(gpu::Device* device, const std::string& path) {
    if (mesh) return;
    mesh = std::make_shared<ObjectMesh>();
    mesh->Load(device, path);
}

bool ParentMapObject::HasLoadedMesh() const { return mesh && mesh->mesh; }

void ParentMapObject::BuildFaceNormals() {
    faceNormals.clear();
    if (!HasLoadedMesh()) return;
    platform::mesh::Mesh& geometry = *mesh->mesh;
    const DWORD faces = geometry.GetNumFaces();
    const DWORD vertexCount = geometry.GetNumVertices();
    faceNormals.reserve(faces);
    const std::uint16_t* indices = geometry.Indices();
    for (DWORD i = 0; i < faces; ++i) {
        const std::uint16_t* corner = indices + 3 * i;
        if (corner[0] >= vertexCount || corner[1] >= vertexCount || corner[2] >= vertexCount) {
            faceNormals.emplace_back(0.0f, 0.0f, 0.0f); // keeps one entry per face
            continue;
        }
        D3DXVECTOR3 p0 = geometry.Position(corner[0]);
        D3DXVECTOR3 e1 = geometry.Position(corner[1]) - p0;
        D3DXVECTOR3 e2 = geometry.Position(corner[2]) - p0;
        D3DXVECTOR3 normal;
        D3DXVec3Cross(&normal, &e1, &e2);
        faceNormals.push_back(normal);
    }
}

} // namespace NEditer
