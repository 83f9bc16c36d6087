// Polygon meshes of the .x file to triangle meshes, and the merging load-mesh of D3DX.
#include "platform/mesh/mesh_builder.h"

#include <cstring>
#include <unordered_map>

namespace platform::mesh {

void BuildGeometry(const xfile::MeshData& data, Geometry* out) {
    *out = Geometry();
    bool normals = !data.normals.empty() && data.normalCorners.size() == data.faceCorners.size();
    bool split = normals && data.normalCorners != data.faceCorners;
    std::vector<std::uint32_t> cornerVertex(data.faceCorners.size());
    if (!split) {
        out->positions = data.positions;
        for (std::uint32_t v = 0; v < data.positions.size(); ++v) out->sourceVertex.push_back(v);
        if (normals) {
            out->normals.assign(data.positions.size(), D3DXVECTOR3());
            for (std::size_t c = 0; c < data.faceCorners.size(); ++c)
                out->normals[data.faceCorners[c]] = data.normals[data.normalCorners[c]];
        }
        cornerVertex = data.faceCorners;
    } else {
        std::unordered_map<std::uint64_t, std::uint32_t> pairs;
        for (std::size_t c = 0; c < data.faceCorners.size(); ++c) {
            std::uint64_t key = std::uint64_t(data.faceCorners[c]) << 32 | data.normalCorners[c];
            auto [it, added] = pairs.emplace(key, std::uint32_t(out->positions.size()));
            if (added) {
                out->positions.push_back(data.positions[data.faceCorners[c]]);
                out->normals.push_back(data.normals[data.normalCorners[c]]);
                out->sourceVertex.push_back(data.faceCorners[c]);
            }
            cornerVertex[c] = it->second;
        }
    }
    if (!data.texCoords.empty())
        for (std::uint32_t source : out->sourceVertex) out->texCoords.push_back(data.texCoords[source]);
    for (std::uint32_t f = 0; f < data.FaceCount(); ++f) {
        std::uint32_t first = data.faceStarts[f], count = data.faceStarts[f + 1] - first;
        DWORD attribute = data.faceMaterials.empty() ? 0 : data.faceMaterials[f];
        for (std::uint32_t i = 1; i + 1 < count; ++i) { // polygons become fans
            out->indices.push_back(cornerVertex[first]);
            out->indices.push_back(cornerVertex[first + i]);
            out->indices.push_back(cornerVertex[first + i + 1]);
            out->attributes.push_back(attribute);
        }
    }
}

void AppendGeometry(Geometry& into, const Geometry& part, const D3DXMATRIX& transform, DWORD attributeBase) {
    std::uint32_t base = std::uint32_t(into.positions.size());
    bool hadNormals = !into.normals.empty() || base == 0;
    bool hadTex = !into.texCoords.empty() || base == 0;
    // Components one part lacks are zero-filled so every vertex has the same format.
    if (!part.normals.empty() && !hadNormals) into.normals.assign(base, D3DXVECTOR3());
    if (!part.texCoords.empty() && !hadTex) into.texCoords.assign(base, D3DXVECTOR2());
    for (std::size_t v = 0; v < part.positions.size(); ++v) {
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &part.positions[v], &transform);
        into.positions.push_back(p);
        into.sourceVertex.push_back(part.sourceVertex[v]);
        if (!part.normals.empty()) {
            D3DXVECTOR3 n;
            D3DXVec3TransformNormal(&n, &part.normals[v], &transform);
            D3DXVec3Normalize(&n, &n);
            into.normals.push_back(n);
        } else if (!into.normals.empty()) {
            into.normals.push_back(D3DXVECTOR3());
        }
        if (!part.texCoords.empty()) into.texCoords.push_back(part.texCoords[v]);
        else if (!into.texCoords.empty()) into.texCoords.push_back(D3DXVECTOR2());
    }
    for (std::uint32_t i : part.indices) into.indices.push_back(base + i);
    for (DWORD a : part.attributes) into.attributes.push_back(attributeBase + a);
}

D3DXMATERIAL ConvertMaterial(const xfile::Material& material) {
    D3DXMATERIAL m;
    m.MatD3D.Diffuse = material.faceColor;
    m.MatD3D.Specular = D3DXCOLOR(material.specular.x, material.specular.y, material.specular.z, 1.0f);
    m.MatD3D.Emissive = D3DXCOLOR(material.emissive.x, material.emissive.y, material.emissive.z, 1.0f);
    m.MatD3D.Power = material.power;
    m.TextureFilename = material.textureFilename;
    return m;
}

std::shared_ptr<Mesh> MakeMesh(const Geometry& g, DWORD options, gpu::Device* device, std::string* reason) {
    if (g.indices.empty()) {
        *reason = "mesh has no faces";
        return nullptr;
    }
    if (g.positions.size() > 0xFFFF) {
        *reason = "mesh has " + std::to_string(g.positions.size()) + " vertices, more than 16-bit indices reach";
        return nullptr;
    }
    DWORD fvf = D3DFVF_XYZ | (g.normals.empty() ? 0 : D3DFVF_NORMAL) | (g.texCoords.empty() ? 0 : D3DFVF_TEX1);
    auto mesh = Mesh::Create(DWORD(g.attributes.size()), DWORD(g.positions.size()), options, fvf, device);
    if (!mesh) {
        *reason = "mesh is too large";
        return nullptr;
    }
    const Mesh::Layout& l = mesh->GetLayout();
    std::uint8_t* vb = nullptr;
    mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&vb));
    for (std::size_t v = 0; v < g.positions.size(); ++v) {
        std::uint8_t* out = vb + v * mesh->GetNumBytesPerVertex();
        std::memcpy(out, &g.positions[v], 12);
        if (l.normal >= 0) std::memcpy(out + l.normal, &g.normals[v], 12);
        if (l.texCoord >= 0) std::memcpy(out + l.texCoord, &g.texCoords[v], 8);
    }
    mesh->UnlockVertexBuffer();
    std::uint16_t* ib = nullptr;
    mesh->LockIndexBuffer(0, reinterpret_cast<void**>(&ib));
    for (std::size_t i = 0; i < g.indices.size(); ++i) ib[i] = std::uint16_t(g.indices[i]);
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    mesh->LockAttributeBuffer(0, &attributes);
    std::copy(g.attributes.begin(), g.attributes.end(), attributes);
    mesh->UnlockAttributeBuffer();
    return mesh;
}

namespace {

// Every mesh of the frame tree, placed by the frames' combined transforms.
void MergeFrame(const xfile::Frame& frame, const D3DXMATRIX& parent, Geometry& merged,
                std::vector<D3DXMATERIAL>& materials) {
    D3DXMATRIX world = frame.transform * parent;
    for (const xfile::MeshData& data : frame.meshes) {
        Geometry part;
        BuildGeometry(data, &part);
        DWORD base = DWORD(materials.size());
        for (const xfile::Material& m : data.materials) materials.push_back(ConvertMaterial(m));
        if (data.materials.empty()) {
            D3DXMATERIAL plain;
            plain.MatD3D.Diffuse = D3DXCOLOR(1, 1, 1, 1);
            materials.push_back(plain);
        }
        AppendGeometry(merged, part, world, base);
    }
    for (const auto& child : frame.children) MergeFrame(*child, world, merged, materials);
}

} // namespace

} // namespace platform::mesh

bool D3DXLoadMeshFromX(const std::string& path, DWORD options, gpu::Device* device, std::vector<DWORD>* adjacency,
                       std::vector<D3DXMATERIAL>* materials, DWORD* numMaterials,
                       std::shared_ptr<platform::mesh::Mesh>* mesh, std::string* error) {
    using namespace platform::mesh;
    if (adjacency) adjacency->clear();
    if (materials) materials->clear();
    if (numMaterials) *numMaterials = 0;
    if (mesh) mesh->reset();
    platform::xfile::Document doc;
    if (!platform::xfile::LoadXFile(path, &doc, error)) return false;
    Geometry merged;
    std::vector<D3DXMATERIAL> allMaterials;
    for (const auto& object : doc.objects) MergeFrame(*object.frame, MatrixIdentity(), merged, allMaterials);
    std::string reason;
    auto result = MakeMesh(merged, options, device, &reason);
    if (!result) {
        if (error) *error = path + ": " + reason;
        return false;
    }
    if (adjacency) *adjacency = result->GenerateAdjacency(0.0f);
    if (numMaterials) *numMaterials = DWORD(allMaterials.size());
    if (materials) *materials = std::move(allMaterials);
    if (mesh) *mesh = std::move(result);
    return true;
}
