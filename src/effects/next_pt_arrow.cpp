// NextPtArrow: points two arrows at the next checkpoint and a small one at the one after; on a
// change it fades them out, turns them and fades them back in.
#include "effects/next_pt_arrow.h"

#include <cmath>

#include "effects/arrow.h"
#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_manager.h"
#include "player/chara_base.h"

namespace {
constexpr std::int32_t kFadeOutStep = 10;
constexpr std::int32_t kFadeInStep = 15;
constexpr float kHeightAboveOwner = 0.6f;
} // namespace

void NextPtArrow::Init() {
    name = "nextptarrow";
    EffectManager& manager = EffectManager::Instance();
    for (Arrow*& arrow : arrows) {
        if (arrow) arrow->Retire(); // a second Init replaces the arrows instead of orphaning them
        arrow = static_cast<Arrow*>(manager.Create("arrow"));
    }
    cpIndex = 0;
    lengthOffset = MatrixTranslation(0, 0, arrows[kHead]->halfHeight);
}

void NextPtArrow::OnRetired() {
    for (Arrow*& arrow : arrows) {
        if (arrow) arrow->Retire();
        arrow = nullptr;
    }
}

void NextPtArrow::SetSize(float w, float h) {
    BaseEffect::SetSize(w, h);
    if (!arrows[kHead]) return;
    arrows[kHead]->SetSize(w, h);
    arrows[kSmall]->SetSize(0.5f * w, 0.5f * h);
    arrows[kSecond]->SetSize(w, h);
    lengthOffset = MatrixTranslation(0, 0, arrows[kHead]->halfHeight);
}

void NextPtArrow::SetPosition(const D3DXMATRIX& m) {
    BaseEffect::SetPosition(m);
    if (!arrows[kHead]) return;
    arrows[kHead]->SetPosition(position);
    arrows[kSecond]->SetPosition(position * lengthOffset);
    arrows[kSmall]->SetPosition(position);
}

void NextPtArrow::SetColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b) {
    BaseEffect::SetColor(a, r, g, b);
    for (Arrow* arrow : arrows)
        if (arrow) arrow->SetColor(a, r, g, b);
}

D3DXMATRIX NextPtArrow::YawToward(const D3DXVECTOR3& target) const {
    D3DXVECTOR3 flat(target.x - params[kOffset], 0, target.z - params[kOffset + 2]), d;
    D3DXVec3Normalize(&d, &flat);
    float a = std::acos(std::fmax(-1.0f, std::fmin(1.0f, d.z))) * kRadToDeg;
    return MatrixRotationY(d.x > 0 ? a * kDegToRad : a * -kDegToRad);
}

void NextPtArrow::Steer(Arrow* arrow, const D3DXVECTOR3& offset, const D3DXMATRIX* turn) {
    arrow->SetParam3(kOffset, offset);
    if (turn) arrow->rotation = *turn;
    arrow->Update();
    arrow->StepColorFade();
}

void NextPtArrow::FadeArrows(std::int32_t a, std::int32_t step) {
    for (int i : {kHead, kSecond, kSmall}) arrows[i]->StartColorFade(a, red, green, blue, step);
}

void NextPtArrow::Update() {
    if (!owner || !arrows[kHead]) return;
    if (fading && !arrows[kHead]->fading) { // the fade-out has ended: turn and come back
        FadeArrows(alpha, kFadeInStep);
        cpIndex = owner->racer.nextCheckPoint;
        fading = false;
    }
    if (cpIndex != owner->racer.nextCheckPoint) {
        fading = true;
        FadeArrows(0, kFadeOutStep);
    }
    D3DXVECTOR3 offset = owner->Position() + D3DXVECTOR3(0, kHeightAboveOwner, 0);
    SetParam3(kOffset, offset);
    if (fading) {
        for (int i : {kHead, kSecond, kSmall}) Steer(arrows[i], offset, nullptr);
        return;
    }
    PointAtCheckPoints(offset);
}

void NextPtArrow::PointAtCheckPoints(const D3DXVECTOR3& offset) {
    const auto& points = CourseManager::Instance().checkPoints;
    const std::int32_t count = static_cast<std::int32_t>(points.size());
    // Without a checkpoint to point at the arrows keep their directions.
    const bool valid = cpIndex >= 0 && cpIndex < count;
    if (valid) {
        SetParam3(kTarget, MatrixPosition(points[cpIndex]->world));
        rotation = YawToward(Param3(kTarget));
    }
    Steer(arrows[kHead], offset, valid ? &rotation : nullptr);
    Steer(arrows[kSecond], offset, valid ? &rotation : nullptr);
    if (valid) {
        std::int32_t after = cpIndex + 1 > count - 1 ? 0 : cpIndex + 1;
        SetParam3(kTarget, MatrixPosition(points[after]->world));
        rotation = YawToward(Param3(kTarget));
    }
    Steer(arrows[kSmall], offset, valid ? &rotation : nullptr);
}
