// Sail: splits the placed matrix into orientation and position and spins in between them.
#include "map/sail.h"

void Sail::Init() {
    D3DXMatrixTranslation(&translation, world._41, world._42, world._43);
    world._41 = world._42 = world._43 = 0.0f;
    basis = world;
    D3DXMatrixRotationX(&spinStep, kDegToRad); // a degree a frame
    D3DXMatrixRotationY(&spin, D3DX_PI);
}

void Sail::Update() {
    spin = spin * spinStep;
    world = spin * basis * translation;
}
