// StartEffect: the start-line countdown of three circles turning from red to green, then "go".
#pragma once

#include <cstdint>

#include "effects/base_effect.h"
#include "effects/start_m_circle.h"

class StartEffect : public BaseEffect {
public:
    static constexpr std::int32_t kCircles = 3;

    void Init() override;
    void Update() override;
    void Draw() override;

    StartMCircle circles[kCircles]; // left, middle, right; not in the manager's list
    std::int32_t lit = 0;
};
