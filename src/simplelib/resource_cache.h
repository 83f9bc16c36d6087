// Path-keyed cache of textures and meshes: a file is loaded once and shared for as long as the
// scenes that ask for it run. Scenes may hold what they get weakly, so the cache keeps everything the
// running scene asked for; what only an earlier scene wanted is let go as the next one starts.
#pragma once

#include <cstdint>
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

    // A scene change: what is asked for from here on belongs to the new scene.
    void BeginScene() { ++scene; }
    // Frees what no scene since the last BeginScene asked for and nobody else holds.
    void ReleaseEarlierScenes();

private:
    enum class Kind { Texture, SkinMesh, Mesh };
    struct Entry {
        Kind kind;
        std::shared_ptr<void> resource;
        std::uint64_t scene = 0; // the last scene that asked for it
    };

    // Returns the cached resource of the path, or stores what `load` makes. A path cached under
    // another kind is not reinterpreted: the new resource replaces it.
    template <class T>
    std::shared_ptr<T> GetOrLoad(const std::string& path, Kind kind, const std::function<std::shared_ptr<T>()>& load) {
        auto it = entries.find(path);
        if (it != entries.end() && it->second.kind == kind) {
            it->second.scene = scene;
            return std::static_pointer_cast<T>(it->second.resource);
        }
        std::shared_ptr<T> resource = load();
        entries[path] = Entry{kind, resource, scene};
        return resource;
    }

    std::unordered_map<std::string, Entry> entries;
    std::uint64_t scene = 0;
};
