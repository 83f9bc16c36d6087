// The mesh getters of the resource cache: every model file is loaded once and shared.
#include "render/graphics_device.h"
#include "simplelib/mesh.h"
#include "simplelib/resource_cache.h"
#include "simplelib/skin_mesh.h"

std::shared_ptr<SimpleLib::CSkinMesh> ResourceCache::GetSkinMesh(const std::string& path) {
    return GetOrLoad<SimpleLib::CSkinMesh>(path, Kind::SkinMesh, [&] {
        auto model = std::make_shared<SimpleLib::CSkinMesh>();
        model->Load(path); // a failed load is cached as an empty model
        return model;
    });
}

std::shared_ptr<SimpleLib::CMesh> ResourceCache::GetMesh(const std::string& path) {
    return GetOrLoad<SimpleLib::CMesh>(path, Kind::Mesh, [&] {
        auto model = std::make_shared<SimpleLib::CMesh>();
        model->Load(GraphicsDevice::Instance().device.get(), path);
        return model;
    });
}
