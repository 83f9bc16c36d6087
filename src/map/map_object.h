// NEditer::MapObject: one placed piece of scenery — its matrix, kind, number and its kind's model.
#pragma once

#include <cstdint>
#include <string>

#include "platform/math/d3dx_math.h"

namespace NEditer {

class ObjectMesh;

class MapObject {
public:
    MapObject() = default;
    MapObject(const MapObject&) = delete;
    MapObject& operator=(const MapObject&) = delete;
    virtual ~MapObject() = default;

    virtual void Uninit() { name.clear(); }
    virtual void Init() {}
    virtual void Update() {}
    // Objects that move during a race (a sail) move as a function of the race's update number; the
    // world matrix as placed by the map, before any move.
    virtual bool Spins() const { return false; }
    virtual D3DXMATRIX PlacedWorld() const { return world; }

    // Bounding radius around the position: the farthest vertex with the object's axis scales applied.
    // Leaves `radius` alone when there is no loaded model to measure.
    void ComputeRadius();
    // True when the object has a model that actually loaded (drawn, ray-tested, measured).
    bool HasLoadedMesh() const;

    D3DXMATRIX world = MatrixIdentity();
    ObjectMesh* mesh = nullptr; // the kind's model; owned by the kind's ParentMapObject
    std::int32_t number = 0;
    std::string name;
    float radius = 0.0f;
    bool visible = true;
    std::int32_t entry = 0; // 1-based place among the map file's object entries, for messages
};

} // namespace NEditer
