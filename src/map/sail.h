// Sail: the windmill sail that spins about its own X axis by one degree a frame.
#pragma once

#include "map/map_object.h"

class Sail : public NEditer::MapObject {
public:
    void Init() override;
    void Update() override;

    D3DXMATRIX spinStep = MatrixIdentity();
    D3DXMATRIX translation = MatrixIdentity();
    D3DXMATRIX spin = MatrixIdentity();
    D3DXMATRIX basis = MatrixIdentity();
};
