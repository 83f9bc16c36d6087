// D3DXLoadMeshHierarchyFromX: frames and mesh containers built through the caller's allocator.
#include "platform/mesh/hierarchy.h"

#include <algorithm>

#include "platform/mesh/mesh_builder.h"

namespace platform::mesh {

bool KeyframedAnimationSet::GetAnimationIndexByName(const char* frameName, DWORD* index) const {
    if (!frameName) return false;
    for (DWORD i = 0; i < animations.size(); ++i) {
        if (animations[i].name == frameName) {
            if (index) *index = i;
            return true;
        }
    }
    return false;
}

double KeyframedAnimationSet::GetPeriod() const {
    double period = 0;
    for (const KeyframedAnimation& a : animations) {
        for (const auto& k : a.scaleKeys) period = std::max(period, double(k.Time));
        for (const auto& k : a.rotationKeys) period = std::max(period, double(k.Time));
        for (const auto& k : a.translationKeys) period = std::max(period, double(k.Time));
    }
    return period;
}

std::shared_ptr<KeyframedAnimationSet> AnimationController::GetAnimationSet(DWORD index) const {
    return index < sets.size() ? sets[index] : nullptr;
}

namespace {

class HierarchyBuilder {
public:
    HierarchyBuilder(DWORD options_, gpu::Device* device_, ID3DXAllocateHierarchy* allocator_)
        : options(options_), device(device_), allocator(allocator_) {}

    // Builds `frame` and links it at *slot; on failure returns the error (the part built stays linked).
    HRESULT BuildFrame(const xfile::Frame& frame, D3DXFRAME** slot) {
        D3DXFRAME* made = nullptr;
        HRESULT hr = allocator->CreateFrame(frame.name.c_str(), &made);
        if (FAILED(hr)) return hr;
        if (!made) return E_FAIL;
        *slot = made;
        made->TransformationMatrix = frame.transform;
        D3DXMESHCONTAINER** nextContainer = &made->pMeshContainer;
        for (const xfile::MeshData& data : frame.meshes) {
            D3DXMESHCONTAINER* container = nullptr;
            hr = BuildContainer(data, &container);
            if (FAILED(hr)) return hr;
            *nextContainer = container;
            while (*nextContainer) nextContainer = &(*nextContainer)->pNextMeshContainer;
        }
        D3DXFRAME** nextChild = &made->pFrameFirstChild;
        for (const auto& child : frame.children) {
            hr = BuildFrame(*child, nextChild);
            if (FAILED(hr)) return hr;
            nextChild = &(*nextChild)->pFrameSibling;
        }
        return S_OK;
    }

    std::string error;

private:
    HRESULT BuildContainer(const xfile::MeshData& data, D3DXMESHCONTAINER** out) {
        Geometry geometry;
        BuildGeometry(data, &geometry);
        D3DXMESHDATA meshData;
        meshData.pMesh = MakeMesh(geometry, options, device, &error);
        if (!meshData.pMesh) {
            error = "mesh '" + data.name + "': " + error;
            return E_FAIL;
        }
        std::vector<DWORD> adjacency = meshData.pMesh->GenerateAdjacency(0.0f);
        std::vector<D3DXMATERIAL> materials;
        for (const xfile::Material& m : data.materials) materials.push_back(ConvertMaterial(m));
        std::shared_ptr<SkinInfo> skin;
        if (!data.skinWeights.empty()) skin = MakeSkin(data, geometry, meshData.pMesh->GetFVF());
        HRESULT hr =
            allocator->CreateMeshContainer(data.name.c_str(), &meshData, materials.empty() ? nullptr : materials.data(),
                                           nullptr, DWORD(materials.size()), adjacency.data(), skin, out);
        if (FAILED(hr)) error = "mesh '" + data.name + "' was refused by the allocator";
        return hr;
    }

    static std::shared_ptr<SkinInfo> MakeSkin(const xfile::MeshData& data, const Geometry& g, DWORD fvf) {
        auto skin = std::make_shared<SkinInfo>(DWORD(g.positions.size()), fvf, DWORD(data.skinWeights.size()));
        // File vertex -> the mesh vertices made from it (more than one where normals split it).
        std::vector<std::vector<DWORD>> copies(data.positions.size());
        for (DWORD v = 0; v < g.sourceVertex.size(); ++v) copies[g.sourceVertex[v]].push_back(v);
        std::vector<DWORD> vertices;
        std::vector<float> weights;
        for (DWORD b = 0; b < data.skinWeights.size(); ++b) {
            const xfile::SkinWeights& w = data.skinWeights[b];
            skin->SetBoneName(b, w.transformNodeName);
            skin->SetBoneOffsetMatrix(b, &w.matrixOffset);
            vertices.clear();
            weights.clear();
            for (std::size_t i = 0; i < w.vertexIndices.size(); ++i) {
                for (DWORD v : copies[w.vertexIndices[i]]) {
                    vertices.push_back(v);
                    weights.push_back(w.weights[i]);
                }
            }
            skin->SetBoneInfluence(b, DWORD(vertices.size()), vertices.data(), weights.data());
        }
        return skin;
    }

    DWORD options;
    gpu::Device* device;
    ID3DXAllocateHierarchy* allocator;
};

D3DXQUATERNION FileRotation(const D3DXQUATERNION& q) {
    // Rotation keys keep the file's convention, the conjugate of D3DX's: (x, y, z, -w) of q.
    return D3DXQUATERNION(q.x, q.y, q.z, -q.w);
}

std::shared_ptr<AnimationController> MakeController(const xfile::Document& doc) {
    if (doc.animationSets.empty()) return nullptr;
    auto controller = std::make_shared<AnimationController>();
    for (const xfile::AnimationSet& fileSet : doc.animationSets) {
        auto set = std::make_shared<KeyframedAnimationSet>();
        set->name = fileSet.name;
        set->ticksPerSecond = doc.ticksPerSecond;
        for (const xfile::Animation& a : fileSet.animations) {
            KeyframedAnimation anim;
            anim.name = a.frameName;
            for (const auto& k : a.rotationKeys) anim.rotationKeys.push_back({k.time, k.value});
            for (const auto& k : a.scaleKeys) anim.scaleKeys.push_back({k.time, k.value});
            for (const auto& k : a.translationKeys) anim.translationKeys.push_back({k.time, k.value});
            for (const auto& k : a.matrixKeys) {
                D3DXVECTOR3 scale, translation;
                D3DXQUATERNION rotation;
                if (!D3DXMatrixDecompose(&scale, &rotation, &translation, &k.value)) continue;
                anim.scaleKeys.push_back({k.time, scale});
                anim.rotationKeys.push_back({k.time, FileRotation(rotation)});
                anim.translationKeys.push_back({k.time, translation});
            }
            set->animations.push_back(std::move(anim));
        }
        controller->sets.push_back(std::move(set));
    }
    return controller;
}

} // namespace

} // namespace platform::mesh

HRESULT D3DXLoadMeshHierarchyFromX(const std::string& path, DWORD options, gpu::Device* device,
                                   ID3DXAllocateHierarchy* allocator, void*, D3DXFRAME** rootFrame,
                                   std::shared_ptr<platform::mesh::AnimationController>* animationController,
                                   std::string* error) {
    using namespace platform::mesh;
    if (rootFrame) *rootFrame = nullptr;
    if (animationController) animationController->reset();
    if (!allocator || !rootFrame) return E_INVALIDARG;
    platform::xfile::Document doc;
    if (!platform::xfile::LoadXFile(path, &doc, error)) return E_FAIL;
    if (doc.objects.empty()) {
        if (error) *error = path + ": the file has no frame or mesh";
        return E_FAIL;
    }
    HierarchyBuilder builder(options, device, allocator);
    D3DXFRAME* root = nullptr;
    D3DXFRAME** next = &root;
    for (const auto& object : doc.objects) {
        HRESULT hr = builder.BuildFrame(*object.frame, next);
        if (FAILED(hr)) {
            D3DXFrameDestroy(root, allocator);
            if (error) *error = path + ": " + (builder.error.empty() ? "the allocator failed" : builder.error);
            return hr;
        }
        next = &(*next)->pFrameSibling;
    }
    *rootFrame = root;
    if (animationController) *animationController = MakeController(doc);
    return S_OK;
}

HRESULT D3DXFrameDestroy(D3DXFRAME* frame, ID3DXAllocateHierarchy* allocator) {
    if (!allocator) return E_INVALIDARG;
    // Siblings are walked in a loop and children by recursion, so long sibling chains cost no stack.
    while (frame) {
        D3DXFRAME* sibling = frame->pFrameSibling;
        D3DXMESHCONTAINER* container = frame->pMeshContainer;
        while (container) {
            D3DXMESHCONTAINER* nextContainer = container->pNextMeshContainer;
            allocator->DestroyMeshContainer(container);
            container = nextContainer;
        }
        D3DXFrameDestroy(frame->pFrameFirstChild, allocator);
        allocator->DestroyFrame(frame);
        frame = sibling;
    }
    return S_OK;
}
