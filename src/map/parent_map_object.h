// NEditer::ParentMapObject: one kind of scenery — its name, model file, shared model and face normals.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/math/d3dx_math.h"

namespace NEditer {

class ObjectMesh;

class ParentMapObject {
public:
    ParentMapObject(std::string kind, std::string model) : kindName(std::move(kind)), modelFile(std::move(model)) {}
    virtual ~ParentMapObject() = default;

    virtual ObjectMesh* GetMesh() { return mesh.get(); }

    // Creates and loads the kind's model unless it already has one (a failed load is not retried).
    void LoadMesh(gpu::Device* device, const std::string& path);
    // One unnormalised model-space normal per face, in face order; empty without a loaded model.
    void BuildFaceNormals();
    bool HasLoadedMesh() const;

    std::shared_ptr<ObjectMesh> mesh;
    std::string kindName;
    std::string modelFile;
    std::vector<D3DXVECTOR3> faceNormals;
};

} // namespace NEditer
