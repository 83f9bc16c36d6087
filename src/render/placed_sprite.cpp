// PlacedSprite: the transform as set is kept; the inner batcher gets it followed by the placement.
#include "render/placed_sprite.h"

void PlacedSprite::Place(const D3DXMATRIX& placement) {
    placement_ = placement;
    placed_ = true;
    SetTransform(&transform_);
}

void PlacedSprite::Unplace() {
    placed_ = false;
    SetTransform(&transform_);
}

void PlacedSprite::SetTransform(const D3DXMATRIX* transform) {
    if (!transform) return;
    transform_ = *transform;
    // Without a placement the batcher gets the very matrix given, so a lone screen draws as it did.
    if (!placed_) return inner_->SetTransform(&transform_);
    const D3DXMATRIX placed = transform_ * placement_;
    inner_->SetTransform(&placed);
}

void PlacedSprite::GetTransform(D3DXMATRIX* transform) const {
    if (transform) *transform = transform_;
}
