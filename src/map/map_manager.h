// The map singleton: kinds and placed objects as the screen shows them, and the view data and
// screen overlays that effects, culling and the scenes share.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/math/d3dx_math.h"
#include "simplelib/texture.h"

namespace NEditer {
class MapObject;
class ParentMapObject;
} // namespace NEditer
class Camera;
namespace race {
class Course;
}

class MapManager {
public:
    static MapManager& Instance() { return *Holder(); }
    // Starts from a fresh, empty singleton (tests). Placed objects of the old one are deleted.
    static void ResetInstance();

    MapManager() = default;
    MapManager(const MapManager&) = delete;
    MapManager& operator=(const MapManager&) = delete;
    ~MapManager();

    // ---- map file and objects ----
    // How a map file read ended. Anything but Ok leaves what was read before the fault in the map.
    enum class LoadResult { Ok, Missing, WrongVersion, TooLarge, BadLength, Truncated };

    // Reads the chosen course's map (the shipped one unless another was chosen).
    void LoadMap();
    // The loader on any path, or on the file's bytes (tests, the fuzzer).
    LoadResult LoadMapFile(const std::string& path);
    LoadResult LoadMapFromMemory(const std::uint8_t* data, std::size_t size);
    // Loads each kind's model and attaches it to the objects of that kind. Objects whose kind has
    // no definition or whose model did not load are deleted, so every listed object has a model.
    // Checkpoints without size or with a number already taken are deleted, and when the rest are
    // not numbered exactly 0 .. n-1 all of them are, so the course has no checkpoints at all.
    void LoadModels(gpu::Device* device);
    NEditer::ParentMapObject* FindDefinition(const std::string& kindName) const;
    // The moving objects as they stand at the race's update `update` (objects in the course's order).
    void ShowRace(const race::Course& course, std::uint32_t update);
    void DrawObjects();
    // Deletes the placed objects (the game scene's release); kinds and models stay loaded.
    void DeleteObjects();
    void ClearMap();
    // The visibility test of every placed object against the view point and the frustum.
    void UpdateVisibility(const D3DXVECTOR3& viewPoint);
    bool IsVisible(const D3DXVECTOR3& position, float radius, const D3DXVECTOR3& viewPoint) const;

    // ---- view data and overlays ----
    void CreateOverlays();
    void SetFrustum(float aspect, float fovY, float far);
    void UpdateFrustum();
    // One frame of the scene change's white fade, and its drawing.
    void StepFade();
    void DrawFade();
    void DrawDim(std::int32_t alpha);
    // true when the sphere lies outside one of the four side planes.
    bool OutsideFrustum(const D3DXVECTOR3& position, float radius) const;

    std::unordered_map<std::string, std::shared_ptr<NEditer::ParentMapObject>> definitions;
    std::vector<NEditer::MapObject*> objects; // owned; deleted by DeleteObjects / ClearMap

    static constexpr const char* kMapPath = "data/Map/map2.map";
    static constexpr const char* kModelFolder = "data/MapObject";
    static constexpr float kViewDistance = 700.0f;

    std::string definitionsFrom; // the map whose kinds `definitions` holds

    SimpleLib::CTexture fadeTexture;
    std::int32_t alpha = 0;
    bool fadingIn = false;
    bool active = false;
    bool fadeShown = false; // this frame shows the fade (the frame that ends it shows its last step)
    D3DXMATRIX cameraRotation = MatrixIdentity();
    float aspect = 0, fovY = 0, farDistance = 0;
    Camera* camera = nullptr;
    SimpleLib::CTexture dimTexture;
    D3DXVECTOR3 corners[4];
    D3DXVECTOR3 planeNormals[4];
    D3DXVECTOR3 planePoints[4];
    D3DXVECTOR3 frustumEye{0, 0, 0}; // where UpdateFrustum last put the eye

private:
    // Attaches models and radii to the objects that have none yet; returns those objects.
    std::vector<NEditer::MapObject*> AttachModels();
    void DropBrokenCheckPoints(std::vector<NEditer::MapObject*>& attached);
    void DropObjects(std::vector<NEditer::MapObject*>& attached, const std::set<NEditer::MapObject*>& doomed);
    // One stderr line naming the object and why it is left out (capped per load).
    void ReportDropped(const NEditer::MapObject& object, const std::string& reason);

    int problemLines = 0;

    static std::unique_ptr<MapManager>& Holder() {
        static std::unique_ptr<MapManager> instance = std::make_unique<MapManager>();
        return instance;
    }
};
