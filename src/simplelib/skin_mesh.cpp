// CSkinMesh: load the hierarchy, number the frames, bind the bones and copy out the animations.
#include "simplelib/skin_mesh.h"

#include <cstdio>

#include "platform/fs/directory.h"
#include "render/graphics_device.h"
#include "simplelib/allocate_hierarchy.h"

namespace SimpleLib {
namespace {

bool IsExactIdentity(const D3DXMATRIX& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
    return true;
}

} // namespace

bool CSkinMesh::Load(const std::string& path) {
    Release();
    directory = platform::fs::DirectoryPart(path);
    fileName = platform::fs::FileNamePart(path);
    CAllocateHierarchy allocator(directory);
    D3DXFRAME* root = nullptr;
    std::shared_ptr<platform::mesh::AnimationController> controller;
    HRESULT hr = D3DXLoadMeshHierarchyFromX(path, D3DXMESH_MANAGED, GraphicsDevice::Instance().device.get(), &allocator,
                                            nullptr, &root, &controller, &lastError);
    if (FAILED(hr) || !root) {
        std::fprintf(stderr, "xfile: %s\n", lastError.empty() ? (path + ": cannot load").c_str() : lastError.c_str());
        directory.clear();
        fileName.clear();
        return false;
    }
    CollectFrames(static_cast<D3DXFRAME_EX*>(root), nullptr);
    for (D3DXFRAME_EX* frame : frames) {
        D3DXMATRIX parent = frame->parent ? frame->parent->combined : MatrixIdentity();
        frame->combined = frame->TransformationMatrix * parent;
    }
    BindBones();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i]->index = std::int32_t(i);
        // Frames that no skin names get the inverse bind pose, so their skin matrix starts as identity.
        if (IsExactIdentity(frames[i]->offset)) {
            D3DXMATRIX inverse;
            if (D3DXMatrixInverse(&inverse, nullptr, &frames[i]->combined)) frames[i]->offset = inverse;
        }
    }
    if (controller) ExtractAnimationSets(*controller, frames, &animationSets);
    return true;
}

void CSkinMesh::CollectFrames(D3DXFRAME_EX* frame, D3DXFRAME_EX* parent) {
    // Siblings iteratively, children recursively: the order is pre-order either way.
    for (; frame; frame = static_cast<D3DXFRAME_EX*>(frame->pFrameSibling)) {
        frame->parent = parent;
        frames.push_back(frame);
        for (D3DXMESHCONTAINER* c = frame->pMeshContainer; c; c = c->pNextMeshContainer)
            containers.push_back(static_cast<MeshContainer*>(c));
        CollectFrames(static_cast<D3DXFRAME_EX*>(frame->pFrameFirstChild), frame);
    }
}

void CSkinMesh::BindBones() {
    for (MeshContainer* container : containers) {
        if (!container->pSkinInfo) continue;
        container->boneFrames.clear();
        const auto& skin = *container->pSkinInfo;
        for (DWORD b = 0; b < skin.GetNumBones(); ++b) {
            const std::string name = skin.GetBoneName(b);
            D3DXFRAME_EX* bound = nullptr;
            for (D3DXFRAME_EX* frame : frames) {
                if (frame->Name != name) continue;
                bound = frame;
                frame->offset = *skin.GetBoneOffsetMatrix(b);
                break;
            }
            // The palette addresses bones by number, so an unmatched bone keeps its place (empty)
            // rather than handing its slot to the next bone; the draw holds its vertices still.
            if (!bound)
                std::fprintf(stderr, "xfile: %s%s: bone \"%s\" matches no frame; its vertices stay in the bind pose\n",
                             directory.c_str(), fileName.c_str(), name.c_str());
            container->boneFrames.push_back(bound);
        }
    }
}

void CSkinMesh::Release() {
    if (!frames.empty()) {
        CAllocateHierarchy allocator("");
        D3DXFrameDestroy(frames[0], &allocator);
    }
    frames.clear();
    containers.clear();
    animationSets.clear();
    directory.clear();
    fileName.clear();
}

} // namespace SimpleLib
