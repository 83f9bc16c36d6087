// Sail: the windmill sail that spins about its own X axis by one degree an update; the course
// turns it (race::Course::WorldAt), so every racer and every screen sees the same turn.
#pragma once

#include "map/map_object.h"

class Sail : public NEditer::MapObject {
public:
    void Init() override;
    bool Spins() const override { return true; }
    D3DXMATRIX PlacedWorld() const override { return basis * translation; }

    D3DXMATRIX translation = MatrixIdentity();
    D3DXMATRIX basis = MatrixIdentity();
};
