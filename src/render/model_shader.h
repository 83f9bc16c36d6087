// The lit, textured, optionally skinned model shader, also used for the effect quads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gpu/device.h"
#include "simplelib/texture.h"

namespace platform::mesh {
class Mesh;
}
namespace SimpleLib {
class CMeshObject;
struct MeshContainer;
} // namespace SimpleLib

// What DrawMesh needs of a static mesh record (map objects and CMesh alike).
struct StaticMeshParts {
    platform::mesh::Mesh* mesh = nullptr;
    const D3DMATERIAL9* materials = nullptr;
    SimpleLib::CTexture* textures = nullptr;
    std::uint32_t materialCount = 0;
};

// For a mesh split into pieces: whether a piece, by its sphere (model space), is drawn, and whole or
// coarse.
enum class PieceDetail { Hidden, Whole, Coarse };
using PieceInView = std::function<PieceDetail(const D3DXVECTOR3& centre, float radius)>;

class ModelShader {
public:
    // (Re)creates the effect from "Shader/Sample.fx" and the white default texture; a compile
    // failure shows its text in a message box and leaves the instance without an effect.
    void Load();
    void Release();
    // With inView, a mesh split into pieces draws only the pieces it shows, in the detail it asks.
    void DrawMesh(const StaticMeshParts& mesh, const PieceInView& inView = {});
    void DrawSkinnedModel(SimpleLib::CMeshObject& skeleton);
    void DrawSkinnedMesh(SimpleLib::CMeshObject& skeleton, SimpleLib::MeshContainer& container);
    // Four 24-byte XYZ|DIFFUSE|TEX1 vertices as a triangle fan, placed by "mW"; texture may be null.
    void DrawQuad(SimpleLib::CTexture* texture, const void* vertices, const D3DXCOLOR& colour);
    // The same quad placed by `world`, kept for one draw with the quads queued next to it: a run of
    // quads of one texture under one cull mode is a single draw (a software rasterizer pays more
    // for each of hundreds of draws than for their pixels). FlushQuads draws what is queued, before
    // anything else draws or the targets change.
    void QueueQuad(SimpleLib::CTexture* texture, const void* vertices, const D3DXMATRIX& world,
                   const D3DXCOLOR& colour);
    void FlushQuads();

    // Parameter setters that do nothing when the effect failed to load.
    void SetMatrix(const char* name, const D3DXMATRIX& value);
    void SetValue(const char* name, const void* data, std::uint32_t bytes);
    void SetVector(const char* name, const D3DXVECTOR4& value);

    // The bone palette shared by every skinned draw of the program (only grows).
    static std::vector<D3DXMATRIX>& Palette();

    std::unique_ptr<gpu::Effect> effect;
    SimpleLib::CTexture defaultTexture;

private:
    void BeginTech();
    void EndTech();
    void SetMaterial(const D3DMATERIAL9& material, SimpleLib::CTexture* texture);
    // Models draw with the blend off where a subset is wholly opaque (see BlendKeepsOpaqueSource).
    void BeginModelBlend();
    void SetModelBlend(bool opaque);
    void EndModelBlend();
    void DrawBoneCombinations(SimpleLib::CMeshObject& skeleton, SimpleLib::MeshContainer& container,
                              platform::mesh::Mesh& mesh);
    static SimpleLib::CTexture* ContainerTexture(SimpleLib::MeshContainer& container, DWORD material);
    static const D3DXMATRIX* BoneSkin(const SimpleLib::CMeshObject& skeleton, const SimpleLib::MeshContainer& container,
                                      DWORD boneId);

    // A queued quad's corner with what the shader needs of its quad (see Sample.fx).
    struct QuadCorner {
        float x, y, z;
        D3DCOLOR color;
        float u, v;
        float place[3][4]; // the world matrix's first three columns
        float colour[4];
    };
    std::vector<QuadCorner> quadCorners_;
    std::vector<std::uint16_t> quadIndices_; // two triangles a quad, as the fan 0 1 2 3 makes them
    gpu::Texture* quadTexture_ = nullptr;
    DWORD quadCull_ = 0;
    D3DXCOLOR quadColour_;

    DWORD blendBefore_ = 0, blendNow_ = 0; // D3DRS_ALPHABLENDENABLE around a model draw
    bool blendSkippable_ = false;          // the usual blend, and the model is not drawn see-through
};
