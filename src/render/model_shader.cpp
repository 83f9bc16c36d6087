// The model shader: static meshes, skinned containers and effect quads through technique "Tech".
#include "render/model_shader.h"

#include <algorithm>
#include <cstring>

#include "platform/mesh/mesh.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "simplelib/mesh_object.h"

namespace {
constexpr const char* kModelFile = "Shader/Sample.fx";
constexpr std::uint32_t kNoBone = 0xFFFFFFFF;
constexpr std::uint32_t kQuadStride = 24;
constexpr std::uint32_t kMaxQuadsPerDraw = 16384;
// A quad corner with its quad's placement (sets 1 to 3) and colour (set 4): see Sample.fx.
constexpr DWORD kQuadBatchFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | 0x500 | D3DFVF_TEXCOORDSIZE4(1) |
                                D3DFVF_TEXCOORDSIZE4(2) | D3DFVF_TEXCOORDSIZE4(3) | D3DFVF_TEXCOORDSIZE4(4);

D3DXVECTOR4 ToVector(const D3DCOLORVALUE& c) { return D3DXVECTOR4(c.r, c.g, c.b, c.a); }
} // namespace

std::vector<D3DXMATRIX>& ModelShader::Palette() {
    // Shared by every skinned draw of the program; it only grows, so drawing does not allocate
    // once the largest palette has been seen.
    static std::vector<D3DXMATRIX> palette;
    return palette;
}

void ModelShader::Load() {
    Release();
    effect = LoadEffectFile(kModelFile);
    if (!effect) return;
    if (defaultTexture.Create(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED)) defaultTexture.FillWhite();
}

void ModelShader::Release() {
    effect.reset();
    defaultTexture.Release();
}

void ModelShader::SetMatrix(const char* name, const D3DXMATRIX& value) {
    if (effect) effect->SetMatrix(name, &value);
}

void ModelShader::SetValue(const char* name, const void* data, std::uint32_t bytes) {
    if (effect) effect->SetValue(name, data, bytes);
}

void ModelShader::SetVector(const char* name, const D3DXVECTOR4& value) {
    if (effect) effect->SetVector(name, &value);
}

void ModelShader::BeginTech() {
    unsigned passes = 0;
    effect->SetTechnique("Tech");
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
}

void ModelShader::EndTech() {
    effect->EndPass();
    effect->End();
}

void ModelShader::SetMaterial(const D3DMATERIAL9& material, SimpleLib::CTexture* texture) {
    D3DXVECTOR4 diffuse = ToVector(material.Diffuse);
    D3DXVECTOR4 specular = ToVector(material.Specular);
    effect->SetVector("MateDiffuse", &diffuse);
    effect->SetVector("MateSpecular", &specular);
    effect->SetFloat("MateSpePower", material.Power);
    gpu::Texture* image = texture ? texture->texture.get() : nullptr;
    if (!image) image = defaultTexture.texture.get();
    effect->SetTexture("MateDiffuseTex", image);
    // A model's alpha is its texture's times the material's (times what translucency leaves).
    SetModelBlend(material.Diffuse.a == 1.0f && image && image->Opaque());
}

void ModelShader::BeginModelBlend() {
    blendSkippable_ = false;
    if (!GraphicsDevice::Instance().device) return;
    gpu::Device& device = *GraphicsDevice::Instance().device;
    blendBefore_ = blendNow_ = device.GetRenderState(D3DRS_ALPHABLENDENABLE);
    float translucency = 0.0f;
    effect->GetValue("Translucency", &translucency, sizeof translucency);
    // A model writes a transparent zero to target 1, which only the blend keeps out of it.
    blendSkippable_ = translucency == 0.0f && !device.GetRenderTarget(1) && gpu::BlendKeepsOpaqueSource(device);
}

void ModelShader::SetModelBlend(bool opaque) {
    const DWORD wanted = blendSkippable_ && opaque ? FALSE : blendBefore_;
    if (wanted == blendNow_) return;
    GraphicsDevice::Instance().device->SetRenderState(D3DRS_ALPHABLENDENABLE, wanted);
    blendNow_ = wanted;
}

void ModelShader::EndModelBlend() {
    SetModelBlend(false);
    blendSkippable_ = false;
}

void ModelShader::DrawMesh(const StaticMeshParts& mesh, const PieceInView& inView) {
    if (!effect || !mesh.mesh) return;
    effect->SetInt("CurNumBones", 0);
    BeginTech();
    BeginModelBlend();
    const std::vector<platform::mesh::Mesh::Piece>* pieces = inView ? &mesh.mesh->Pieces() : nullptr;
    if (pieces && pieces->empty()) pieces = nullptr;
    for (std::uint32_t i = 0; i < mesh.materialCount; ++i) {
        SetMaterial(mesh.materials[i], mesh.textures ? &mesh.textures[i] : nullptr);
        effect->CommitChanges();
        if (!pieces) {
            mesh.mesh->DrawSubset(i);
            continue;
        }
        for (const platform::mesh::Mesh::Piece& piece : *pieces) {
            if (piece.attribId != i) continue;
            const PieceDetail detail = inView(piece.centre, piece.radius);
            if (detail != PieceDetail::Hidden) mesh.mesh->DrawPiece(piece, detail == PieceDetail::Coarse);
        }
    }
    EndModelBlend();
    EndTech();
}

void ModelShader::DrawSkinnedModel(SimpleLib::CMeshObject& skeleton) {
    if (!effect || !skeleton.mesh) return;
    for (SimpleLib::MeshContainer* container : skeleton.mesh->containers) {
        if (container) DrawSkinnedMesh(skeleton, *container);
    }
}

void ModelShader::DrawSkinnedMesh(SimpleLib::CMeshObject& skeleton, SimpleLib::MeshContainer& container) {
    platform::mesh::Mesh* mesh = container.MeshData.pMesh.get();
    if (!effect || !mesh) return;
    BeginTech();
    BeginModelBlend();
    if (container.pSkinInfo) {
        DrawBoneCombinations(skeleton, container, *mesh);
    } else {
        // A rigid container is placed by "mW" alone; a bone count left over from a skinned
        // container drawn before it would blend it through a stale palette.
        effect->SetInt("CurNumBones", 0);
        for (DWORD i = 0; i < container.NumMaterials && i < container.pMaterials.size(); ++i) {
            SetMaterial(container.pMaterials[i].MatD3D, ContainerTexture(container, i));
            effect->CommitChanges();
            mesh->DrawSubset(i);
        }
    }
    EndModelBlend();
    EndTech();
}

SimpleLib::CTexture* ModelShader::ContainerTexture(SimpleLib::MeshContainer& container, DWORD material) {
    return container.textures ? &container.textures[material] : nullptr;
}

void ModelShader::DrawBoneCombinations(SimpleLib::CMeshObject& skeleton, SimpleLib::MeshContainer& container,
                                       platform::mesh::Mesh& mesh) {
    std::vector<D3DXMATRIX>& palette = Palette();
    const DWORD paletteSize = std::min(container.paletteSize, SimpleLib::kMaxPaletteSize);
    if (palette.size() < paletteSize) palette.resize(paletteSize);
    const DWORD groups = std::min<DWORD>(container.boneCombinationCount, container.boneCombinations.size());
    for (DWORD g = 0; g < groups; ++g) {
        const D3DXBONECOMBINATION& combination = container.boneCombinations[g];
        for (DWORD i = 0; i < paletteSize && i < combination.BoneId.size(); ++i) {
            const D3DXMATRIX* skin = BoneSkin(skeleton, container, combination.BoneId[i]);
            if (skin) palette[i] = *skin;
        }
        effect->SetMatrixArray("mWArray", palette.data(), paletteSize);
        // Materials: the loader keeps at least one record, so a group naming a missing one draws
        // with the first.
        DWORD material = combination.AttribId < container.pMaterials.size() ? combination.AttribId : 0;
        if (!container.pMaterials.empty()) {
            SetMaterial(container.pMaterials[material].MatD3D, ContainerTexture(container, material));
        }
        effect->SetInt("CurNumBones", static_cast<int>(container.maxVertexInfluences));
        effect->CommitChanges();
        mesh.DrawSubset(g);
    }
}

const D3DXMATRIX* ModelShader::BoneSkin(const SimpleLib::CMeshObject& skeleton,
                                        const SimpleLib::MeshContainer& container, DWORD boneId) {
    // Empty slots keep whatever the palette held; they weigh no vertex.
    if (boneId == kNoBone || boneId >= container.boneFrames.size()) return nullptr;
    const SimpleLib::D3DXFRAME_EX* frame = container.boneFrames[boneId];
    // A bone that names no frame holds its vertices in the bind pose: they ride with the model's
    // root, whose skin matrix carries the model to where it is drawn. (A plain identity would be
    // world space here and fling them to the world's origin.)
    if (!frame) return skeleton.bones.empty() ? nullptr : &skeleton.bones[0]->skin;
    if (frame->index < 0 || static_cast<std::size_t>(frame->index) >= skeleton.bones.size()) return nullptr;
    return &skeleton.bones[frame->index]->skin;
}

void ModelShader::DrawQuad(SimpleLib::CTexture* texture, const void* vertices, const D3DXCOLOR& colour) {
    if (!effect || !vertices) return;
    D3DXMATRIX world = MatrixIdentity();
    effect->GetValue("mW", &world, sizeof world);
    QueueQuad(texture, vertices, world, colour);
    FlushQuads();
}

void ModelShader::QueueQuad(SimpleLib::CTexture* texture, const void* vertices, const D3DXMATRIX& world,
                            const D3DXCOLOR& colour) {
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (!effect || !vertices || !device) return;
    gpu::Texture* image = texture ? texture->texture.get() : nullptr;
    if (!image) image = defaultTexture.texture.get();
    const DWORD cull = device->GetRenderState(D3DRS_CULLMODE);
    if (!quadCorners_.empty() && (image != quadTexture_ || cull != quadCull_)) FlushQuads();
    quadTexture_ = image;
    quadCull_ = cull;
    quadColour_ = colour;
    const auto* corners = static_cast<const std::uint8_t*>(vertices);
    for (int i = 0; i < 4; ++i) {
        QuadCorner corner;
        std::memcpy(&corner, corners + i * kQuadStride, kQuadStride);
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 4; ++row) corner.place[column][row] = world.m[row][column];
        corner.colour[0] = colour.r, corner.colour[1] = colour.g, corner.colour[2] = colour.b;
        corner.colour[3] = colour.a;
        quadCorners_.push_back(corner);
    }
}

void ModelShader::FlushQuads() {
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    if (quadCorners_.empty() || !effect || !device) {
        quadCorners_.clear();
        return;
    }
    const std::size_t quads = quadCorners_.size() / 4;
    // 16-bit indices reach 16384 quads; the pattern is built once for that many.
    if (quadIndices_.empty())
        for (std::uint32_t q = 0; q < kMaxQuadsPerDraw; ++q)
            for (std::uint32_t k : {0u, 1u, 2u, 0u, 2u, 3u}) quadIndices_.push_back(std::uint16_t(q * 4 + k));
    static const D3DXVECTOR4 kZero(0, 0, 0, 0);
    D3DXVECTOR4 diffuse(quadColour_.r, quadColour_.g, quadColour_.b, quadColour_.a);
    const DWORD fvfBefore = device->GetFVF(), cullBefore = device->GetRenderState(D3DRS_CULLMODE);
    device->SetFVF(kQuadBatchFvf);
    if (cullBefore != quadCull_) device->SetRenderState(D3DRS_CULLMODE, quadCull_);
    effect->SetInt("CurNumBones", 0);
    BeginTech();
    effect->SetVector("MateDiffuse", &diffuse);
    effect->SetVector("MateSpecular", &kZero);
    effect->SetFloat("MateSpePower", 0.0f);
    effect->SetVector("TakeColor", &kZero);
    effect->SetTexture("MateDiffuseTex", quadTexture_);
    effect->CommitChanges();
    for (std::size_t first = 0; first < quads; first += kMaxQuadsPerDraw) {
        const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(quads - first, kMaxQuadsPerDraw));
        device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, count * 4, count * 2, quadIndices_.data(),
                                       &quadCorners_[first * 4], sizeof(QuadCorner));
    }
    EndTech();
    if (cullBefore != quadCull_) device->SetRenderState(D3DRS_CULLMODE, cullBefore);
    device->SetFVF(fvfBefore);
    quadCorners_.clear();
}
