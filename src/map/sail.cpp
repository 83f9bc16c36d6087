// Sail: splits the placed matrix into orientation and position, which the course turns in between.
#include "map/sail.h"

void Sail::Init() {
    D3DXMatrixTranslation(&translation, world._41, world._42, world._43);
    world._41 = world._42 = world._43 = 0.0f;
    basis = world;
}
