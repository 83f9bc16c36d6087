// CAnimator: advances a character's tracks and writes the blended pose into its bone nodes.
#include "simplelib/animator.h"

#include <algorithm>

namespace SimpleLib {
namespace {

// The segment i with time[i] <= t < time[i+1], searched from the hint onwards with wrap-around.
template <class Key> std::uint32_t FindSegment(const std::vector<Key>& keys, double t, std::uint32_t& hint) {
    const std::uint32_t segments = std::uint32_t(keys.size() - 1);
    std::uint32_t start = std::min<std::uint32_t>(hint, segments - 1);
    std::uint32_t i = start;
    for (std::uint32_t tries = 0; tries < segments; ++tries) {
        if (keys[i].time <= t && t < keys[i + 1].time) {
            hint = i;
            return i;
        }
        i = (i + 1 >= segments) ? 0 : i + 1;
    }
    hint = start; // keys out of order: any segment will do
    return start;
}

// Shared steps of sampling: empty, single key, clamping at the ends, exact hits; `mix` interpolates.
template <class Key, class Value, class Mix>
bool Sample(const std::vector<Key>& keys, double t, std::uint32_t& hint, Value* out, Value Key::*field, Mix mix) {
    if (keys.empty()) return false;
    if (t < 0) t = 0;
    if (keys.size() == 1 || t < keys.front().time) {
        *out = keys.front().*field;
        return true;
    }
    if (t >= keys.back().time) {
        *out = keys.back().*field;
        return true;
    }
    std::uint32_t i = FindSegment(keys, t, hint);
    if (t == double(keys[i].time)) {
        *out = keys[i].*field;
        return true;
    }
    float s = float((t - keys[i].time) / (double(keys[i + 1].time) - keys[i].time));
    *out = mix(keys[i].*field, keys[i + 1].*field, s);
    return true;
}

D3DXVECTOR3 Lerp(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float s) { return (b - a) * s + a; }

} // namespace

bool CAnimator::SampleRotation(const std::vector<RotationKey>& keys, double t, std::uint32_t& hint,
                               D3DXQUATERNION* out) {
    return Sample(keys, t, hint, out, &RotationKey::rotation,
                  [](const D3DXQUATERNION& a, const D3DXQUATERNION& b, float s) {
                      D3DXQUATERNION q;
                      D3DXQuaternionSlerp(&q, &a, &b, s);
                      return q;
                  });
}

bool CAnimator::SampleScale(const std::vector<ScaleKey>& keys, double t, std::uint32_t& hint, D3DXVECTOR3* out) {
    return Sample(keys, t, hint, out, &ScaleKey::value, Lerp);
}

bool CAnimator::SampleTranslation(const std::vector<TranslationKey>& keys, double t, std::uint32_t& hint,
                                  D3DXVECTOR3* out) {
    return Sample(keys, t, hint, out, &TranslationKey::value, Lerp);
}

void CAnimator::Setup(CMeshObject& meshObject) {
    Reset();
    if (meshObject.mesh) sets = meshObject.mesh->animationSets;
    boneOutputs.clear();
    for (std::size_t i = 0; i < meshObject.bones.size(); ++i) {
        BoneOutput output;
        output.target = &meshObject.bones[i]->local;
        output.blendRotation = output.blendScale = output.blendTranslation = i != 0;
        boneOutputs.push_back(output);
    }
}

void CAnimator::Reset() {
    for (auto& track : tracks) track->events.clear();
    sets.clear();
    tracks.clear();
    tracks.push_back(std::make_shared<CAnimatorTrack>());
}

std::uint32_t CAnimator::FindAnimation(const std::string& name) const {
    for (std::size_t i = 0; i < sets.size(); ++i)
        if (sets[i] && sets[i]->name == name) return std::uint32_t(i);
    return 0xFFFFFFFFu;
}

bool CAnimator::SetTrackAnimation(std::uint32_t setIndex, float weight, double speed, double position) {
    if (setIndex >= sets.size() || tracks.empty()) return false;
    CAnimatorTrack& track = *tracks.front();
    track.set = sets[setIndex];
    track.setIndex = std::int32_t(setIndex);
    track.position = position;
    track.speed = speed;
    track.weight = weight;
    track.enabled = true;
    track.loop = true;
    return true;
}

bool CAnimator::ChangeAnimation(std::uint32_t setIndex, double speed, double position, double delay, double duration) {
    tracks.push_front(std::make_shared<CAnimatorTrack>());
    if (duration != 0) {
        if (!SetTrackAnimation(setIndex, 0.0f, speed, position)) return false;
        tracks[0]->AddWeightFade(1.0f, delay, duration);
        if (tracks.size() >= 2) {
            CAnimatorTrack& old = *tracks[1];
            old.AddSetEnabled(false, delay + duration);
            old.AddFinish(delay + duration);
            old.AddSpeedFade(0.0, delay, duration);
            old.AddWeightFade(0.0f, delay, duration);
        }
        return true;
    }
    if (!SetTrackAnimation(setIndex, 1.0f, speed, position)) return false;
    if (tracks.size() >= 2) {
        tracks[1]->enabled = false;
        tracks[1]->finished = true;
        tracks[1]->weight = 0.0f;
    }
    return true;
}

void CAnimator::AdvanceTime(double dt) {
    if (dt > 0) {
        for (std::size_t i = 0; i < tracks.size();) {
            CAnimatorTrack& track = *tracks[i];
            track.AdvancePosition(dt);
            track.RunEvents(dt);
            if (track.finished && tracks.size() > 1) {
                tracks.erase(tracks.begin() + std::ptrdiff_t(i));
            } else {
                ++i;
            }
        }
    }
    Evaluate();
}

void CAnimator::Evaluate() {
    for (std::size_t b = 0; b < boneOutputs.size(); ++b)
        if (boneOutputs[b].target) EvaluateBone(b, boneOutputs[b]);
}

void CAnimator::EvaluateBone(std::size_t bone, BoneOutput& r) {
    D3DXQUATERNION Q(0, 0, 0, 1);
    D3DXVECTOR3 S, T;
    int rc = 0, sc = 0, tc = 0;
    for (const auto& trackPtr : tracks) {
        const CAnimatorTrack& track = *trackPtr;
        if (!track.enabled || !track.set || track.set->boneKeys.size() <= bone) continue;
        const BoneKeys& keys = *track.set->boneKeys[bone];
        const double t = std::max(track.position, 0.0);
        D3DXQUATERNION q;
        if (SampleRotation(keys.rotationKeys, t, r.rotationHint, &q)) {
            if (rc == 0 || track.weight >= 1.0f) Q = q;
            else if (r.blendRotation) D3DXQuaternionSlerp(&Q, &Q, &q, track.weight);
            ++rc;
        }
        D3DXVECTOR3 v;
        if (SampleScale(keys.scaleKeys, t, r.scaleHint, &v)) {
            if (sc == 0 || track.weight >= 1.0f) S = v;
            else if (r.blendScale) S = S + (v - S) * track.weight;
            ++sc;
        }
        if (SampleTranslation(keys.translationKeys, t, r.translationHint, &v)) {
            if (tc == 0 || track.weight >= 1.0f) T = v;
            else if (r.blendTranslation) T = T + (v - T) * track.weight;
            ++tc;
        }
    }
    if (rc == 0 && sc == 0 && tc == 0) return;
    D3DXMATRIX& local = *r.target;
    if (rc) {
        D3DXMATRIX rotation;
        D3DXMatrixRotationQuaternion(&rotation, &Q);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) local.m[i][j] = rotation.m[i][j];
    }
    if (sc) {
        const float factors[3] = {S.x, S.y, S.z};
        for (int i = 0; i < 3; ++i) {
            D3DXVECTOR3 row(local.m[i][0], local.m[i][1], local.m[i][2]);
            D3DXVec3Normalize(&row, &row);
            local.m[i][0] = row.x * factors[i];
            local.m[i][1] = row.y * factors[i];
            local.m[i][2] = row.z * factors[i];
        }
    }
    if (tc) {
        local._41 = T.x;
        local._42 = T.y;
        local._43 = T.z;
    }
}

} // namespace SimpleLib
