// NEditer::MapObject: the bounding radius from the kind's model and the object's own scale.
#include "map/map_object.h"

#include <algorithm>

#include "map/object_mesh.h"

namespace NEditer {

bool MapObject::HasLoadedMesh() const { return mesh && mesh->mesh; }

void MapObject::ComputeRadius() {
    if (!HasLoadedMesh()) return;
    auto axisLength = [](float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); };
    const float sx = axisLength(world._11, world._12, world._13);
    const float sy = axisLength(world._21, world._22, world._23);
    const float sz = axisLength(world._31, world._32, world._33);
    const platform::mesh::Mesh& geometry = *mesh->mesh;
    float largest = 0.0f;
    for (DWORD i = 0; i < geometry.GetNumVertices(); ++i) {
        D3DXVECTOR3 p = geometry.Position(i);
        largest = std::max(largest, axisLength(p.x * sx, p.y * sy, p.z * sz));
    }
    radius = largest;
}

} // namespace NEditer
