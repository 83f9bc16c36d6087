// Path-keyed cache of textures and meshes: every file is loaded once per run and shared.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace SimpleLib {
class CTexture;
class CMesh;
class CSkinMesh;
} // namespace SimpleLib

class ResourceCache {
public:
    static ResourceCache& Instance();
    static void ResetInstance();

    // A failed load is cached too: later requests for the path get the same empty resource.
    std::shared_ptr<SimpleLib::CTexture> GetTexture(const std::string& path);
    std::shared_ptr<SimpleLib::CSkinMesh> GetSkinMesh(const std::string& path);
    std::shared_ptr<SimpleLib::CMesh> GetMesh(const std::string& path);
    void Clear();
    std::size_t Size() const { return entries.size(); }

private:
    enum class Kind { Texture, SkinMesh, Mesh };
    struct Entry {
        Kind kind;
        std::shared_ptr<void> resource;
    };

    // Returns the cached resource of the path, or stores what `load` makes. A path cached under
    // another kind is not reinterpreted: the new resource replaces it.
    template <class T>
    std::shared_ptr<T> GetOrLoad(const std::string& path, Kind kind, const std::function<std::shared_ptr<T>()>& load) {
        auto it = entries.find(path);
        if (it != entries.end() && it->second.kind == kind) return std::static_pointer_cast<T>(it->second.resource);
        std::shared_ptr<T> resource = load();
        entries[path] = Entry{kind, resource};
        return resource;
    }

    std::unordered_map<std::string, Entry> entries;
};
