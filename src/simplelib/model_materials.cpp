// The materials and textures of a loaded .x model, shared by the rigid models and the map kinds.
#include "simplelib/model_materials.h"

namespace SimpleLib {

void LoadModelMaterials(gpu::Device* device, const std::vector<D3DXMATERIAL>& loaded, const std::string& directory,
                        std::vector<D3DMATERIAL9>* materials, std::unique_ptr<CTexture[]>* textures) {
    const std::size_t count = loaded.size();
    *textures = std::make_unique<CTexture[]>(count);
    materials->resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        (*materials)[i] = loaded[i].MatD3D;
        (*materials)[i].Ambient = (*materials)[i].Diffuse;
        if (!loaded[i].TextureFilename.empty()) (*textures)[i].Load(device, directory + loaded[i].TextureFilename);
    }
}

void DrawModelSubsets(gpu::Device& device, platform::mesh::Mesh& mesh, const std::vector<D3DMATERIAL9>& materials,
                      const CTexture* textures, const D3DMATERIAL9* sharedMaterial) {
    for (std::size_t i = 0; i < materials.size(); ++i) {
        device.SetMaterial(sharedMaterial ? sharedMaterial : &materials[i]);
        device.SetTexture(0, textures[i].texture.get());
        mesh.DrawSubset(static_cast<DWORD>(i));
    }
}

void ReleaseModelTextures(std::unique_ptr<CTexture[]>* textures, std::size_t count) {
    if (*textures)
        for (std::size_t i = 0; i < count; ++i) (*textures)[i].Release();
    textures->reset();
}

} // namespace SimpleLib
