// NextPtArrow: points two arrows at the next checkpoint and a small one at the one after; on a
// change it fades them out, turns them and fades them back in.
#include "effects/next_pt_arrow.h"

#include <cmath>

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
    for (EffectHandle& arrow : arrows) {
        // a second Init replaces the arrows instead of orphaning them
        if (BaseEffect* old = manager.Get(arrow)) old->Retire();
        arrow = manager.Create("arrow");
    }
    cpIndex = 0;
    if (BaseEffect* head = ArrowAt(kHead)) lengthOffset = MatrixTranslation(0, 0, head->halfHeight);
}

BaseEffect* NextPtArrow::ArrowAt(int which) const { return EffectManager::Instance().Get(arrows[which]); }

bool NextPtArrow::Arrows(BaseEffect* (&out)[3]) const {
    for (int i : {kHead, kSmall, kSecond})
        if (!(out[i] = ArrowAt(i))) return false;
    return true;
}

void NextPtArrow::OnRetired() {
    for (EffectHandle& arrow : arrows) {
        if (BaseEffect* shown = EffectManager::Instance().Get(arrow)) shown->Retire();
        arrow = {};
    }
}

void NextPtArrow::ShowOnlyTo(std::int32_t seat) {
    viewSeat = seat;
    for (int i : {kHead, kSmall, kSecond})
        if (BaseEffect* arrow = ArrowAt(i)) arrow->viewSeat = seat;
}

void NextPtArrow::SetSize(float w, float h) {
    BaseEffect::SetSize(w, h);
    BaseEffect* shown[3];
    if (!Arrows(shown)) return;
    shown[kHead]->SetSize(w, h);
    shown[kSmall]->SetSize(0.5f * w, 0.5f * h);
    shown[kSecond]->SetSize(w, h);
    lengthOffset = MatrixTranslation(0, 0, shown[kHead]->halfHeight);
}

void NextPtArrow::SetPosition(const D3DXMATRIX& m) {
    BaseEffect::SetPosition(m);
    BaseEffect* shown[3];
    if (!Arrows(shown)) return;
    shown[kHead]->SetPosition(position);
    shown[kSecond]->SetPosition(position * lengthOffset);
    shown[kSmall]->SetPosition(position);
}

void NextPtArrow::SetColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b) {
    BaseEffect::SetColor(a, r, g, b);
    for (int i : {kHead, kSmall, kSecond})
        if (BaseEffect* arrow = ArrowAt(i)) arrow->SetColor(a, r, g, b);
}

D3DXMATRIX NextPtArrow::YawToward(const D3DXVECTOR3& target) const {
    D3DXVECTOR3 flat(target.x - params[kOffset], 0, target.z - params[kOffset + 2]), d;
    D3DXVec3Normalize(&d, &flat);
    float a = std::acos(std::fmax(-1.0f, std::fmin(1.0f, d.z))) * kRadToDeg;
    return MatrixRotationY(d.x > 0 ? a * kDegToRad : a * -kDegToRad);
}

void NextPtArrow::Steer(BaseEffect& arrow, const D3DXVECTOR3& offset, const D3DXMATRIX* turn) {
    arrow.SetParam3(kOffset, offset);
    if (turn) arrow.rotation = *turn;
    arrow.Update();
    arrow.StepColorFade();
}

void NextPtArrow::FadeArrows(BaseEffect* const (&shown)[3], std::int32_t a, std::int32_t step) {
    for (int i : {kHead, kSecond, kSmall}) shown[i]->StartColorFade(a, red, green, blue, step);
}

void NextPtArrow::Update() {
    BaseEffect* shown[3];
    if (!owner || !Arrows(shown)) return;
    if (fading && !shown[kHead]->fading) { // the fade-out has ended: turn and come back
        FadeArrows(shown, alpha, kFadeInStep);
        cpIndex = owner->racer.nextCheckPoint;
        fading = false;
    }
    if (cpIndex != owner->racer.nextCheckPoint) {
        fading = true;
        FadeArrows(shown, 0, kFadeOutStep);
    }
    D3DXVECTOR3 offset = owner->Position() + D3DXVECTOR3(0, kHeightAboveOwner, 0);
    SetParam3(kOffset, offset);
    if (fading) {
        for (int i : {kHead, kSecond, kSmall}) Steer(*shown[i], offset, nullptr);
        return;
    }
    PointAtCheckPoints(shown, offset);
}

void NextPtArrow::PointAtCheckPoints(BaseEffect* const (&shown)[3], const D3DXVECTOR3& offset) {
    const auto& points = CourseManager::Instance().checkPoints;
    const std::int32_t count = static_cast<std::int32_t>(points.size());
    // Without a checkpoint to point at the arrows keep their directions.
    const bool valid = cpIndex >= 0 && cpIndex < count;
    if (valid) {
        SetParam3(kTarget, MatrixPosition(points[cpIndex]->world));
        rotation = YawToward(Param3(kTarget));
    }
    Steer(*shown[kHead], offset, valid ? &rotation : nullptr);
    Steer(*shown[kSecond], offset, valid ? &rotation : nullptr);
    if (valid) {
        std::int32_t after = cpIndex + 1 > count - 1 ? 0 : cpIndex + 1;
        SetParam3(kTarget, MatrixPosition(points[after]->world));
        rotation = YawToward(Param3(kTarget));
    }
    Steer(*shown[kSmall], offset, valid ? &rotation : nullptr);
}
