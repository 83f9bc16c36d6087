// CMeshObject: a character's bone nodes mirroring the model's frames, and their matrices.
#include "simplelib/mesh_object.h"

namespace SimpleLib {

bool CMeshObject::SetMesh(std::shared_ptr<CSkinMesh> model) {
    Clear();
    mesh = std::move(model);
    if (!mesh || mesh->frames.empty() || !mesh->frames[0]) return false;
    // frames is already in pre-order with parents set, so the nodes follow it one to one.
    bones.reserve(mesh->frames.size());
    for (D3DXFRAME_EX* frame : mesh->frames) {
        auto node = std::make_unique<BoneNode>();
        node->frame = frame;
        if (frame->parent && frame->parent->index >= 0 && std::size_t(frame->parent->index) < bones.size()) {
            node->parent = bones[frame->parent->index].get();
            node->depth = node->parent->depth + 1;
            node->parent->children.push_back(node.get());
        }
        node->local = frame->TransformationMatrix;
        node->combined = frame->combined;
        bones.push_back(std::move(node));
    }
    return true;
}

void CMeshObject::Clear() {
    bones.clear();
    mesh.reset();
}

void CMeshObject::UpdateBoneMatrices(BoneNode* node, const D3DXMATRIX& parentMatrix) {
    if (!node) return;
    node->combined = node->local * parentMatrix;
    node->skin = node->frame->offset * node->combined;
    for (BoneNode* child : node->children) UpdateBoneMatrices(child, node->combined);
}

} // namespace SimpleLib
