// CAllocateHierarchy: frames with bind-pose fields, containers with textures and blended meshes.
#include "simplelib/allocate_hierarchy.h"

#include <new>

namespace SimpleLib {
namespace {

constexpr DWORD kConvertOptions = D3DXMESHOPT_VERTEXCACHE | D3DXMESH_MANAGED;

// The material a static mesh without materials gets: plain opaque white. The shader writes the
// diffuse alpha out, so an alpha of 0 here would draw the whole mesh invisible.
void SetDefaultMaterial(D3DXMATERIAL& m) {
    m = D3DXMATERIAL();
    m.MatD3D.Diffuse = D3DXCOLOR(1, 1, 1, 1);
}

} // namespace

HRESULT CAllocateHierarchy::CreateFrame(const char* name, D3DXFRAME** newFrame) {
    if (!newFrame) return E_INVALIDARG;
    *newFrame = nullptr;
    try {
        auto frame = std::make_unique<D3DXFRAME_EX>();
        frame->Name = name ? name : "";
        frame->TransformationMatrix = MatrixIdentity();
        *newFrame = frame.release();
    } catch (const std::bad_alloc&) { return E_OUTOFMEMORY; }
    return S_OK;
}

HRESULT CAllocateHierarchy::CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData,
                                                const D3DXMATERIAL* materials, const void*, DWORD numMaterials,
                                                const DWORD* adjacency,
                                                std::shared_ptr<platform::mesh::SkinInfo> skinInfo,
                                                D3DXMESHCONTAINER** newMeshContainer) {
    if (!newMeshContainer) return E_INVALIDARG;
    *newMeshContainer = nullptr;
    if (!meshData || meshData->Type != D3DXMESHTYPE_MESH || !meshData->pMesh || meshData->pMesh->GetFVF() == 0)
        return E_FAIL;
    const auto& source = meshData->pMesh;
    auto container = new MeshContainer();
    container->Name = name ? name : "";
    container->MeshData.Type = D3DXMESHTYPE_MESH;
    if (source->GetFVF() & D3DFVF_NORMAL) {
        container->MeshData.pMesh = source;
    } else {
        container->MeshData.pMesh =
            source->CloneMeshFVF(source->GetOptions(), source->GetFVF() | D3DFVF_NORMAL, source->GetDevice());
        if (!container->MeshData.pMesh) {
            DestroyMeshContainer(container);
            return E_FAIL;
        }
        D3DXComputeNormals(container->MeshData.pMesh.get(), adjacency);
    }
    const DWORD faces = container->MeshData.pMesh->GetNumFaces();
    if (adjacency) container->pAdjacency.assign(adjacency, adjacency + std::size_t(faces) * 3);
    else container->pAdjacency = container->MeshData.pMesh->GenerateAdjacency(0.0f);

    container->NumMaterials = numMaterials;
    const DWORD slots = std::max<DWORD>(1, numMaterials);
    container->pMaterials.resize(slots);
    container->textures = std::make_unique<CTexture[]>(slots);
    if (numMaterials == 0 || !materials) {
        SetDefaultMaterial(container->pMaterials[0]);
    } else {
        for (DWORD i = 0; i < numMaterials; ++i) {
            container->pMaterials[i].MatD3D = materials[i].MatD3D;
            container->pMaterials[i].MatD3D.Ambient = materials[i].MatD3D.Diffuse;
            // A missing texture leaves the record empty; the shader draws white instead.
            if (!materials[i].TextureFilename.empty())
                container->textures[i].Load(directory + materials[i].TextureFilename, false);
        }
    }

    container->sourceMesh = container->MeshData.pMesh;
    if (skinInfo) {
        container->pSkinInfo = std::move(skinInfo);
        HRESULT hr = ConvertToBlended(container);
        if (FAILED(hr)) {
            DestroyMeshContainer(container);
            return hr;
        }
    }
    *newMeshContainer = container;
    return S_OK;
}

HRESULT CAllocateHierarchy::ConvertToBlended(MeshContainer* c) {
    c->MeshData.pMesh.reset();
    c->boneCombinations.clear();
    c->boneCombinationCount = 0;
    DWORD bones = c->pSkinInfo->GetNumBones();
    c->paletteSize = std::min(bones, kMaxPaletteSize);
    std::shared_ptr<platform::mesh::Mesh> blended;
    if (!c->pSkinInfo->ConvertToIndexedBlendedMesh(c->sourceMesh.get(), kConvertOptions, c->paletteSize,
                                                   c->pAdjacency.data(), &c->maxVertexInfluences,
                                                   &c->boneCombinationCount, &c->boneCombinations, &blended))
        return E_FAIL;
    DWORD wanted = (blended->GetFVF() & D3DFVF_POSITION_MASK) | D3DFVF_NORMAL | D3DFVF_TEX1 | D3DFVF_LASTBETA_UBYTE4;
    if (blended->GetFVF() != wanted) {
        auto clone = blended->CloneMeshFVF(blended->GetOptions(), wanted, blended->GetDevice());
        if (clone) blended = clone;
    }
    D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
    if (blended->GetDeclaration(declaration)) {
        for (int i = 0; i < MAX_FVF_DECL_SIZE && declaration[i].Stream != 0xFF; ++i)
            if (declaration[i].Usage == D3DDECLUSAGE_BLENDINDICES && declaration[i].UsageIndex == 0)
                declaration[i].Type = D3DDECLTYPE_D3DCOLOR;
        blended->UpdateSemantics(declaration);
    }
    c->MeshData.pMesh = std::move(blended);
    return S_OK;
}

HRESULT CAllocateHierarchy::DestroyFrame(D3DXFRAME* frame) {
    delete frame;
    return S_OK;
}

HRESULT CAllocateHierarchy::DestroyMeshContainer(D3DXMESHCONTAINER* meshContainer) {
    auto* container = static_cast<MeshContainer*>(meshContainer);
    if (container && container->textures) {
        for (DWORD i = 0; i < std::max<DWORD>(1, container->NumMaterials); ++i) container->textures[i].Release();
    }
    delete container;
    return S_OK;
}

} // namespace SimpleLib
