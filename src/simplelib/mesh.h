// SimpleLib::CMesh: a rigid .x model drawn with the fixed-function pipeline, one subset per material.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mesh/mesh.h"
#include "simplelib/texture.h"

namespace SimpleLib {

class CMesh {
public:
    CMesh() = default;
    CMesh(const CMesh&) = delete;
    CMesh& operator=(const CMesh&) = delete;
    ~CMesh() { Release(); }

    bool Load(gpu::Device* device, const std::string& path);
    // Draws every subset on the application's device with the current transforms.
    void Draw();
    void Release();

    std::shared_ptr<platform::mesh::Mesh> mesh;
    std::unique_ptr<CTexture[]> textures;
    std::vector<D3DMATERIAL9> materials;
    int materialCount = 0;
    std::vector<DWORD> adjacency;
    std::string fileName;
};

} // namespace SimpleLib
