// The map singleton: kinds and placed objects, the race clock, and the view data and screen
// overlays that effects, culling and the scenes share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gpu/device.h"
#include "platform/math/d3dx_math.h"
#include "scenes/race_timer.h"
#include "simplelib/texture.h"

namespace NEditer {
class MapObject;
class ParentMapObject;
} // namespace NEditer
class Camera;

class MapManager {
public:
    static MapManager& Instance() { return *Holder(); }
    // Starts from a fresh, empty singleton (tests). Placed objects of the old one are deleted.
    static void ResetInstance();

    // ---- map file and objects ----
    void LoadMap();
    void LoadModels(gpu::Device* device);
    NEditer::ParentMapObject* FindDefinition(const std::string& kindName) const;
    void UpdateObjects();
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
    void DrawFade();
    void DrawDim(std::int32_t alpha);
    // true when the sphere lies outside one of the four side planes.
    bool OutsideFrustum(const D3DXVECTOR3& position, float radius) const;

    std::unordered_map<std::string, std::shared_ptr<NEditer::ParentMapObject>> definitions;
    std::vector<NEditer::MapObject*> objects; // owned; deleted by DeleteObjects / ClearMap

    RaceTimer timer;

    SimpleLib::CTexture fadeTexture;
    std::int32_t alpha = 0;
    bool fadingIn = false;
    bool active = false;
    D3DXMATRIX cameraRotation = MatrixIdentity();
    float aspect = 0, fovY = 0, farDistance = 0;
    Camera* camera = nullptr;
    SimpleLib::CTexture dimTexture;
    D3DXVECTOR3 corners[4];
    D3DXVECTOR3 planeNormals[4];
    D3DXVECTOR3 planePoints[4];

private:
    static std::unique_ptr<MapManager>& Holder() {
        static std::unique_ptr<MapManager> instance = std::make_unique<MapManager>();
        return instance;
    }
};
