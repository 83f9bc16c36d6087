// The materials and textures of a loaded .x model, shared by the rigid models and the map kinds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mesh/mesh.h"
#include "simplelib/texture.h"

namespace SimpleLib {

// One material per entry of the file, its ambient taken from its diffuse, and the texture each
// names loaded from `directory` on `device`. A material without a texture name keeps an empty
// record: the name would only be the folder, which is not an image.
void LoadModelMaterials(gpu::Device* device, const std::vector<D3DXMATERIAL>& loaded, const std::string& directory,
                        std::vector<D3DMATERIAL9>* materials, std::unique_ptr<CTexture[]>* textures);

// Subset i with material i (or `sharedMaterial` for every subset when given) and texture i.
void DrawModelSubsets(gpu::Device& device, platform::mesh::Mesh& mesh, const std::vector<D3DMATERIAL9>& materials,
                      const CTexture* textures, const D3DMATERIAL9* sharedMaterial);

void ReleaseModelTextures(std::unique_ptr<CTexture[]>* textures, std::size_t count);

} // namespace SimpleLib
