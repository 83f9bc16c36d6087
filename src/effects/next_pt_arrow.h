// NextPtArrow: the invisible controller of the three arrows that point the keyboard racer onward.
#pragma once

#include <cstdint>

#include "effects/base_effect.h"

class Arrow;

class NextPtArrow : public BaseEffect {
public:
    static constexpr int kHead = 0, kSmall = 1, kSecond = 2;

    void Init() override;
    void Update() override;
    void SetSize(float w, float h) override;
    void SetPosition(const D3DXMATRIX& m) override;
    void SetColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b) override;
    void OnRetired() override;

    std::int32_t cpIndex = 0;
    Arrow* arrows[3] = {};
    D3DXMATRIX lengthOffset = MatrixIdentity();

private:
    D3DXMATRIX YawToward(const D3DXVECTOR3& target) const;
    // Offset, own update and colour fade step of one arrow; rotation only when pointing.
    void Steer(Arrow* arrow, const D3DXVECTOR3& offset, const D3DXMATRIX* turn);
    void FadeArrows(std::int32_t a, std::int32_t step);
    void PointAtCheckPoints(const D3DXVECTOR3& offset);
};
