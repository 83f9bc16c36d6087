// The follow camera of a person's racer: it turns a few updates behind the racer while staying on
// its position, and sits behind that frame, dropping back with speed. It follows the race after each
// update and never changes it.
#pragma once

#include <array>

#include "platform/math/d3dx_math.h"
#include "race/racer_state.h"

class Camera {
public:
    static constexpr int kHistoryLength = 15; // the camera looks 14 updates back

    // On the grid: every remembered turn is the racer's heading.
    void Place(const race::RacerState& racer);
    // After an update: the racer's new turn joins the history and the oldest one sets the camera's.
    void Step(const race::RacerState& racer);
    // Before a picture: the view from behind the delayed frame, further back the faster the racer flies.
    void Follow(float speed);
    // The turn the camera shows (billboards face it).
    const D3DXMATRIX& Rotation() const { return history.back(); }

    std::array<D3DXMATRIX, kHistoryLength> history{};
    D3DXMATRIX cameraMatrix = MatrixIdentity(); // the delayed turn at the racer's position
    D3DXMATRIX world = MatrixIdentity();
    D3DXMATRIX view = MatrixIdentity();
};
