// Sail: splits the placed matrix into orientation and position and spins in between them.
#include "map/sail.h"

namespace {
constexpr float kPi = 3.14159265f;
}

void Sail::Init() {
    D3DXMatrixTranslation(&translation, world._41, world._42, world._43);
    world._41 = world._42 = world._43 = 0.0f;
    basis = world;
    D3DXMatrixRotationX(&spinStep, kPi / 180.0f);
    D3DXMatrixRotationY(&spin, kPi);
}

void Sail::Update() {
    spin = spin * spinStep;
    world = spin * basis * translation;
}
