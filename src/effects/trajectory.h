// Trajectory: the invisible emitter of an automatic racer's trail of crosses.
#pragma once

#include <cstdint>

#include "effects/base_effect.h"

class Trajectory : public BaseEffect {
public:
    void Init() override;
    void Update() override;
    void Draw() override {}
    // Keeps each channel 100 below the value given: the crosses add up to 99 to it.
    void SetColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b) override;
    void SetPosition(const D3DXMATRIX& m) override;

    std::int32_t spawnTimer = 0;
};
