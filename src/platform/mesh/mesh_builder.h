// Turns the .x file's polygon meshes into triangle meshes of one vertex format (shared by the loaders).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mesh/mesh.h"
#include "platform/xfile/xfile.h"

namespace platform::mesh {

// Triangles with one attribute each; a vertex is split where the file gives one position several
// normals, and `sourceVertex` remembers the file vertex each came from (for skin weights).
struct Geometry {
    std::vector<D3DXVECTOR3> positions;
    std::vector<D3DXVECTOR3> normals;   // empty or one per vertex
    std::vector<D3DXVECTOR2> texCoords; // empty or one per vertex
    std::vector<std::uint32_t> sourceVertex;
    std::vector<std::uint32_t> indices; // 3 per triangle
    std::vector<DWORD> attributes;      // 1 per triangle
};

void BuildGeometry(const xfile::MeshData& data, Geometry* out);
// Appends `part` placed by `transform`, offsetting its attributes by attributeBase.
void AppendGeometry(Geometry& into, const Geometry& part, const D3DXMATRIX& transform, DWORD attributeBase);
D3DXMATERIAL ConvertMaterial(const xfile::Material& material);
// Null with *reason set when the geometry cannot be a 16-bit mesh.
std::shared_ptr<Mesh> MakeMesh(const Geometry& geometry, DWORD options, gpu::Device* device, std::string* reason);

} // namespace platform::mesh
