// CheckPoint: creates its magic circle and walks its colour toward the state's colour, 5 a frame.
#include "map/check_point.h"

#include "effects/base_effect.h"
#include "effects/effect_manager.h"

namespace {
constexpr std::int32_t kColourStep = 5;
}

void CheckPoint::Init() {
    EffectManager& effects = EffectManager::Instance();
    effect = effects.Create("magiccircle");
    BaseEffect* circle = effects.Get(effect);
    if (!circle) return;
    circle->SetBillboardSize(radius, radius);
    circle->SetPosition(world);
    static_cast<CheckPointColour&>(*this) = Initial(number);
    circle->SetColor(255, red, green, blue);
}

void CheckPoint::Update() {
    if (!fading) return;
    Step();
    if (BaseEffect* circle = EffectManager::Instance().Get(effect)) circle->SetColor(255, red, green, blue);
}

CheckPointColour CheckPointColour::Initial(std::int32_t number) {
    if (number == 0) return {CheckPoint::kCurrent, 255, 0, 0, false};
    if (number == 1) return {CheckPoint::kNext, 255, 255, 0, false};
    return {CheckPoint::kOther, 255, 255, 255, false};
}

void CheckPointColour::Aim(std::int32_t number, std::int32_t next) {
    std::int32_t wanted = CheckPoint::kOther;
    if (number == next) wanted = CheckPoint::kCurrent;
    else if (number == next + 1) wanted = CheckPoint::kNext;
    if (wanted == state) return;
    state = wanted;
    fading = true;
}

void CheckPointColour::Step() {
    if (!fading) return;
    if (state == CheckPoint::kCurrent) {
        green -= kColourStep;
        if (green < 0) green = 0, fading = false;
    } else if (state == CheckPoint::kNext) {
        blue -= kColourStep;
        if (blue < 0) blue = 0, fading = false;
    } else {
        blue += kColourStep;
        green = blue;
        if (blue > 255) blue = green = 255, fading = false;
    }
}
