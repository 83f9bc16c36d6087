// The course's moving scenery and the one-time preparation of its collision models.
#include "race/course.h"

#include "platform/mesh/mesh.h"

namespace race {

namespace {
constexpr std::uint32_t kSpinPeriod = 360; // updates of a whole turn at a degree an update
}

void Course::AddObject(CourseObject object) {
    Spin spin;
    if (object.spins) {
        const D3DXMATRIX& placed = object.world;
        D3DXMatrixTranslation(&spin.translation, placed._41, placed._42, placed._43);
        spin.basis = placed;
        spin.basis._41 = spin.basis._42 = spin.basis._43 = 0.0f;
    }
    positions.push_back(MatrixPosition(object.world));
    objects.push_back(std::move(object));
    spins.push_back(spin);
}

D3DXMATRIX Course::WorldAt(std::size_t index, std::uint32_t update) const {
    const CourseObject& object = objects[index];
    if (!object.spins) return object.world;
    // A sail starts half a turn round its upright and turns about its own X axis.
    const float degrees = static_cast<float>(update % kSpinPeriod);
    const D3DXMATRIX turn = MatrixRotationY(D3DX_PI) * MatrixRotationX(degrees * kDegToRad);
    return turn * spins[index].basis * spins[index].translation;
}

void Course::Prepare() const {
    for (const CourseObject& object : objects)
        if (object.mesh) object.mesh->Bvh();
}

} // namespace race
