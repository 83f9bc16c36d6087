// CharaBase: a flying character as the screen shows it — the racer as of the latest update, which the
// effects that follow it, the camera and the HUD read, and its animated model.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/math/d3dx_math.h"
#include "race/racer_state.h"

namespace SimpleLib {
class CSkinMesh;
class CMeshObject;
class CAnimator;
} // namespace SimpleLib

class CharaBase {
public:
    CharaBase();
    virtual ~CharaBase();

    virtual void Init() = 0;
    virtual void Update() = 0;
    virtual void Draw() = 0;
    virtual void Release() = 0;

    // Loads the character model from the cache, builds this racer's own skeleton and animator, and
    // starts from the seated pose blending into the set stored after it.
    void LoadModel(const char* path);

    // The position of a racer is the translation of its positionMatrix.
    D3DXVECTOR3 Position() const { return racer.Position(); }

    // A copy of the race's racer, taken after every update; the race itself never reads it.
    race::RacerState racer;
    std::shared_ptr<SimpleLib::CSkinMesh> model;
    std::shared_ptr<SimpleLib::CMeshObject> skeleton;
    std::shared_ptr<SimpleLib::CAnimator> animator;
};
