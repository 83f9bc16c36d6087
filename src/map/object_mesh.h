// NEditer::ObjectMesh: the model of one map kind — position/normal/texcoord mesh, materials, textures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/mesh/mesh.h"
#include "render/model_shader.h"
#include "simplelib/texture.h"

namespace NEditer {

class ObjectMesh {
public:
    // Vertex layout after loading: position, normal, one texture coordinate (32 bytes).
    static constexpr DWORD kVertexFormat = 0x112;
    static constexpr std::uint32_t kVertexSize = 32;

    ObjectMesh() = default;
    ObjectMesh(const ObjectMesh&) = delete;
    ObjectMesh& operator=(const ObjectMesh&) = delete;
    virtual ~ObjectMesh();

    bool Load(gpu::Device* device, const std::string& path);
    void Release();
    // Draws every subset with its own material, or with `material` for all when given.
    virtual void Draw(gpu::Device* device, const D3DMATERIAL9* material);

    // The record the model shader draws from; valid while the mesh stays loaded.
    const StaticMeshParts& Parts() const { return parts; }

    std::shared_ptr<platform::mesh::Mesh> mesh;
    std::unique_ptr<SimpleLib::CTexture[]> textures;
    std::vector<D3DMATERIAL9> materials;
    std::int32_t materialCount = 0;
    std::vector<DWORD> adjacency;
    std::string fileName;

private:
    StaticMeshParts parts;
};

} // namespace NEditer
