// Course: what does not change during a race — the scenery racers collide with and fly round, the
// checkpoints in flying order and the start grid. Built once before the race and only read after;
// anything that moves (the windmill sails) moves as a function of the update number.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/math/d3dx_math.h"

namespace platform::mesh {
class Mesh;
}

namespace race {

struct CourseObject {
    std::string kind;
    D3DXMATRIX world = MatrixIdentity(); // where it stands; a spinning object: its placement unturned
    float radius = 0.0f;                 // bounding radius around its position
    bool ground = false;                 // the automatic pilot never plans round the ground
    // The model racers collide with (null: nothing to hit) and its face normals, shared by the kind.
    std::shared_ptr<const platform::mesh::Mesh> mesh;
    std::shared_ptr<const std::vector<D3DXVECTOR3>> faceNormals;
    // A spinning object (a windmill's sail) turns a degree an update about its own X axis.
    bool spins = false;
};

struct CourseCheckPoint {
    D3DXVECTOR3 position{0, 0, 0};
    float radius = 0.0f;
};

class Course {
public:
    std::vector<CourseObject> objects;         // in the map's order: contacts are tested in this order
    std::vector<CourseCheckPoint> checkPoints; // numbered 0 .. n-1 in flying order
    D3DXVECTOR3 start{750.0f, 50.0f, -1020.0f};
    float heading = 270.0f; // degrees; the grid faces this way

    // Adds an object; a spinning one is split into its turn and its place here.
    void AddObject(CourseObject object);
    // The object's world matrix at update `update` (1 is the first update of the race set-up).
    D3DXMATRIX WorldAt(std::size_t index, std::uint32_t update) const;
    // Where the object stands; a spinning object turns in place, so this never moves.
    const D3DXVECTOR3& PositionOf(std::size_t index) const { return positions[index]; }
    // Builds every model's ray-test tree now, so that no race update builds one.
    void Prepare() const;

private:
    struct Spin {
        D3DXMATRIX basis = MatrixIdentity();       // the placed turn without its position
        D3DXMATRIX translation = MatrixIdentity(); // the placed position
    };
    std::vector<Spin> spins; // one per object; used by the spinning ones
    std::vector<D3DXVECTOR3> positions;
};

} // namespace race
