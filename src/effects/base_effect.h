// BaseEffect: one glowing textured quad that lives for some frames, and the colour fade all kinds share.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gpu/d3d_types.h"
#include "platform/math/d3dx_math.h"

namespace SimpleLib {
class CTexture;
}
class CharaBase;

// One corner of an effect quad (XYZ | DIFFUSE | TEX1).
struct EffectVertex {
    float x = 0, y = 0, z = 0;
    D3DCOLOR color = 0xFFFFFFE1;
    float u = 0, v = 0;
};
static_assert(sizeof(EffectVertex) == 24);

class BaseEffect {
public:
    static constexpr DWORD kVertexFormat = 0x142;
    // Named slots of `params` that several kinds and their owners share.
    static constexpr int kOffset = 0;   // 0..2: offset vector (arrows, sparks)
    static constexpr int kRise = 1;     // height gained by rising kinds
    static constexpr int kVelocity = 3; // 3..5: spark velocity
    static constexpr int kTarget = 6;   // 6..8: a target point (arrow controller)
    static constexpr int kSpin = 9;     // turn rate in degrees per frame (circles)

    BaseEffect();
    BaseEffect(const BaseEffect&) = delete;
    BaseEffect& operator=(const BaseEffect&) = delete;
    virtual ~BaseEffect() = default;

    virtual void Init() = 0;
    virtual void Draw();
    virtual void Update() {}
    // Camera-facing kinds turn their quad to a camera turned by `cameraRotation` (each view of a
    // shared screen has its own); the others keep theirs.
    virtual void Face(const D3DXMATRIX&) {}
    // A flat quad in the X-Z plane.
    virtual void SetSize(float w, float h);
    // Keeps only the translation row of m.
    virtual void SetPosition(const D3DXMATRIX& m);
    virtual void SetColor(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b);
    virtual void SetSpeed(float) {}
    // Called by the manager just before it deletes a retired effect (not by Clear): a kind that
    // steers other effects retires them here so they do not stay behind.
    virtual void OnRetired() {}

    // An upright quad in the X-Y plane (camera-facing kinds).
    void SetBillboardSize(float w, float h);
    void SetAlpha(std::int32_t a);
    // One frame of the colour fade toward the targets; stops when every channel has arrived.
    void StepColorFade();
    // Starts a colour fade: the four targets, the step, and fading on.
    void StartColorFade(std::int32_t a, std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t step);
    void ReleaseResources();
    // Never drawn again; the manager deletes it at its next update pass.
    void Retire() {
        visible = false;
        dead = true;
    }

    D3DXVECTOR3 Param3(int first) const { return {params[first], params[first + 1], params[first + 2]}; }
    void SetParam3(int first, const D3DXVECTOR3& v) {
        params[first] = v.x, params[first + 1] = v.y, params[first + 2] = v.z;
    }

    EffectVertex vertices[4];
    D3DXMATRIX world = MatrixIdentity();
    D3DXMATRIX position = MatrixIdentity();
    D3DXMATRIX rotation = MatrixIdentity();
    float halfWidth = 10.0f, halfHeight = 10.0f;
    std::int32_t alpha = 0, red = 0, green = 0, blue = 0;
    std::int32_t targetAlpha = 0, targetRed = 0, targetGreen = 0, targetBlue = 0;
    std::int32_t fadeStep = 0;
    bool fading = false;
    std::string name;
    SimpleLib::CTexture* texture = nullptr; // registered by the EffectManager, not owned
    bool visible = true;
    bool dead = false;
    bool phase = false;
    float params[10] = {};
    CharaBase* owner = nullptr; // the racer followed, not owned
    // On a shared screen, the seat whose view alone shows this effect; -1 for every view.
    std::int32_t viewSeat = -1;

protected:
    // The world matrix of a quad built upright (SetBillboardSize) that stands at `at` and faces the
    // camera of this frame; the second form first turns it by `spin` in its own plane.
    static D3DXMATRIX FaceCamera(const D3DXMATRIX& at);
    static D3DXMATRIX FaceCamera(const D3DXMATRIX& spin, const D3DXMATRIX& at);
    // The rising sparkles' life: fade in by 5 a frame to opaque, then shrink by `shrink` a frame
    // while fading out by `fadeOutStep`, and retire at alpha 0.
    void FadeInThenShrink(float shrink, std::int32_t fadeOutStep);
    void RebuildColors();
    // The base draw: the quad placed by `world` in the current colour, its alpha scaled by
    // `opacity` (no checks), queued in the model shader's batch of quads.
    void DrawQuad(float opacity = 1.0f);
};
