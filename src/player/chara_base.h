// CharaBase: everything a flying character has — its matrices, flight variables and animated model.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/math/d3dx_math.h"

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

    // The position of a racer is the translation of positionMatrix.
    D3DXVECTOR3 Position() const { return MatrixPosition(positionMatrix); }

    std::int32_t autoPilot = 0;
    D3DXMATRIX orientation = MatrixIdentity();
    D3DXMATRIX cameraMatrix = MatrixIdentity();
    D3DXMATRIX positionMatrix = MatrixIdentity();
    D3DXMATRIX pitchMatrix = MatrixIdentity();
    D3DXMATRIX yawMatrix = MatrixIdentity();
    D3DXMATRIX drawMatrix = MatrixIdentity();
    D3DXVECTOR3 velocity{0, 0, 0};
    D3DXVECTOR3 broomTail{0, 0, 0};
    float maxSpeed = 2.2f;
    float speed = 0.0f;
    float pitch = 0.0f;
    float yaw = 0.0f; // set by the start placement
    float pitchRate = 0.0f;
    float yawRate = 0.0f;
    bool boosting = false;
    bool frozen = true;
    std::int32_t nextCheckPoint = 0;
    float turnRateLimit = 0.8f;
    float boostTurnRateLimit = 2.0f;
    float reach = 5.0f;
    float acceleration = 0.01f;
    std::shared_ptr<SimpleLib::CSkinMesh> model;
    std::shared_ptr<SimpleLib::CMeshObject> skeleton;
    std::shared_ptr<SimpleLib::CAnimator> animator;
};
