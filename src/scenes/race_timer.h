// The race clock: counted by the game scene, stopped by the keyboard racer's finish, drawn from glyphs.
#pragma once

#include <cstdint>

#include "platform/math/d3dx_math.h"
#include "simplelib/texture.h"

class RaceTimer {
public:
    void Init();
    void DrawRacing();
    void DrawResult();

    std::int32_t alpha = 0;
    std::uint32_t startTime = 0;
    std::uint32_t elapsed = 0;
    D3DXMATRIX translation = MatrixIdentity();
    D3DXMATRIX scaling = MatrixIdentity();
    D3DXMATRIX world = MatrixIdentity();
    SimpleLib::CTexture digits;
    std::uint32_t minutes = 0, seconds = 0, milliseconds = 0;
    bool stopped = true;
};
