// The world drawn at a fraction of the screen's size and stretched over it (the low graphics level).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gpu/device.h"
#include "simplelib/texture.h"

// On a software rasterizer the world's cost is its pixels: at half the width and height it costs
// about a quarter, and the stretch back costs one cheap pass. The HUD is drawn after End, at the
// screen's own size, so every figure and word stays as sharp as at the other levels.
class SceneTarget {
public:
    // The world's size on a width x height screen at the level in force (the screen's own size when
    // the level draws it whole).
    static void SizeFor(std::uint32_t width, std::uint32_t height, std::uint32_t* sceneWidth,
                        std::uint32_t* sceneHeight);

    // Points the draws that follow at the smaller target and its depth when the level asks for one;
    // otherwise changes nothing. The caller clears as always: the clear then falls on the target bound.
    void Begin();
    // Stretches the smaller target over the whole back buffer and binds the back buffer again.
    void End();
    void Release();

private:
    bool Create(std::uint32_t width, std::uint32_t height);

    SimpleLib::CTexture colour_;
    std::shared_ptr<gpu::Surface> depth_;
    bool active_ = false;
};
