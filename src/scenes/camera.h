// The follow camera of the race: sits behind the racer's delayed frame and drops back with speed.
#pragma once

#include "platform/math/d3dx_math.h"

class CharaBase;

class Camera {
public:
    void Follow(const CharaBase* racer);

    D3DXMATRIX world = MatrixIdentity();
    D3DXMATRIX view = MatrixIdentity();
};
