// NextPtArrow: the invisible controller of the three arrows that point the keyboard racer onward.
#pragma once

#include <cstdint>

#include "effects/base_effect.h"
#include "effects/effect_handle.h"

class NextPtArrow : public BaseEffect {
public:
    static constexpr int kHead = 0, kSmall = 1, kSecond = 2;

    void Init() override;
    void Update() override;
    void SetSize(float w, float h) override;
    void SetPosition(const D3DXMATRIX& m) override;
    void SetColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b) override;
    void OnRetired() override;
    // The arrows are shown in `seat`'s view alone (-1: every view).
    void ShowOnlyTo(std::int32_t seat);

    // One of the arrows (kHead, kSmall, kSecond), or null once it is gone.
    BaseEffect* ArrowAt(int which) const;

    std::int32_t cpIndex = 0;
    EffectHandle arrows[3] = {};
    D3DXMATRIX lengthOffset = MatrixIdentity();

private:
    // The three arrows, or false when any of them is gone (they are made and retired together).
    bool Arrows(BaseEffect* (&out)[3]) const;
    D3DXMATRIX YawToward(const D3DXVECTOR3& target) const;
    // Offset, own update and colour fade step of one arrow; rotation only when pointing.
    void Steer(BaseEffect& arrow, const D3DXVECTOR3& offset, const D3DXMATRIX* turn);
    void FadeArrows(BaseEffect* const (&shown)[3], std::int32_t a, std::int32_t step);
    void PointAtCheckPoints(BaseEffect* const (&shown)[3], const D3DXVECTOR3& offset);
};
