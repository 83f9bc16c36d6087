// The race clock as drawn: a small strip at the top right while racing, large on the result screen.
// It shows the race's clock; the race counts it.
#pragma once

#include <cstdint>

#include "platform/math/d3dx_math.h"
#include "simplelib/texture.h"

class RaceTimer {
public:
    void Init();
    // The time to show, in milliseconds.
    void Show(std::uint32_t elapsedMs);
    // One update of the result screen's fade-in.
    void StepResultFade();
    void DrawRacing();
    void DrawResult();

    std::int32_t alpha = 0;
    D3DXMATRIX translation = MatrixIdentity();
    D3DXMATRIX scaling = MatrixIdentity();
    D3DXMATRIX world = MatrixIdentity();
    SimpleLib::CTexture digits;
    std::uint32_t minutes = 0, seconds = 0, milliseconds = 0;
};
