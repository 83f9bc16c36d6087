// The resource cache singleton and its texture getter (the mesh getters live beside the mesh code).
#include "simplelib/resource_cache.h"

#include "simplelib/texture.h"

#include <malloc.h>

#include <iterator>

namespace {
std::unique_ptr<ResourceCache>& Holder() {
    static std::unique_ptr<ResourceCache> instance = std::make_unique<ResourceCache>();
    return instance;
}
} // namespace

ResourceCache& ResourceCache::Instance() { return *Holder(); }

void ResourceCache::ResetInstance() { Holder() = std::make_unique<ResourceCache>(); }

std::shared_ptr<SimpleLib::CTexture> ResourceCache::GetTexture(const std::string& path) {
    return GetOrLoad<SimpleLib::CTexture>(path, Kind::Texture, [&path] {
        auto texture = std::make_shared<SimpleLib::CTexture>();
        texture->Load(path, true); // a failure is remembered as the empty record
        return texture;
    });
}

void ResourceCache::Clear() { entries.clear(); }

void ResourceCache::ReleaseEarlierScenes() {
    bool released = false;
    for (auto it = entries.begin(); it != entries.end();) {
        bool stale = it->second.scene != scene && it->second.resource.use_count() == 1;
        released = released || stale;
        it = stale ? entries.erase(it) : std::next(it);
    }
    // Loading leaves freed decode buffers and pixel copies behind; hand those pages back too.
    if (released) malloc_trim(0);
}
