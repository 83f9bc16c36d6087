// PlacedSprite: the shared sprite batcher with a placement after every transform, so a HUD laid out
// for a whole screen can be drawn, smaller, into one view of a shared screen.
#pragma once

#include <memory>

#include "platform/gpu/device.h"
#include "platform/math/d3dx_math.h"

class PlacedSprite : public gpu::Sprite {
public:
    explicit PlacedSprite(std::unique_ptr<gpu::Sprite> inner) : inner_(std::move(inner)) {}

    // What every transform set from now on is followed by; Unplace goes back to none.
    void Place(const D3DXMATRIX& placement);
    void Unplace();
    bool Placed() const { return placed_; }

    void Begin(DWORD flags) override { inner_->Begin(flags); }
    void SetTransform(const D3DXMATRIX* transform) override;
    // The transform as set, without the placement.
    void GetTransform(D3DXMATRIX* transform) const override;
    void Draw(gpu::Texture* texture, const RECT* source, const D3DXVECTOR3* center, const D3DXVECTOR3* position,
              D3DCOLOR color) override {
        inner_->Draw(texture, source, center, position, color);
    }
    void Flush() override { inner_->Flush(); }
    void End() override { inner_->End(); }

private:
    std::unique_ptr<gpu::Sprite> inner_;
    D3DXMATRIX transform_ = MatrixIdentity();
    D3DXMATRIX placement_ = MatrixIdentity();
    bool placed_ = false;
};
