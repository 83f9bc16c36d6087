// Shared set-up of the shader tests: a fresh device and shader singleton, boxes answered and recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/window/message_box.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"

struct ShownBox {
    std::string caption;
    std::string text;
};

// Records every message box; boxes are answered with their default button.
class BoxRecorder {
public:
    BoxRecorder() {
        platform::message_box::SetMode(platform::message_box::Mode::Automatic);
        platform::message_box::SetObserver([this](const std::string& caption, const std::string& text, int) {
            boxes.push_back({caption, text});
        });
    }
    ~BoxRecorder() { platform::message_box::SetObserver(nullptr); }

    std::vector<ShownBox> boxes;
};

// Reads back a 4-float parameter (vectors, colours).
inline D3DXVECTOR4 GetVector(gpu::Effect& effect, const char* name) {
    D3DXVECTOR4 v(-99, -99, -99, -99);
    EXPECT_TRUE(effect.GetValue(name, &v, sizeof(v))) << name;
    return v;
}

inline D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

// One corner of an effect quad as the effects lay it out (XYZ|DIFFUSE|TEX1, 24 bytes).
struct QuadVertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 24);

inline constexpr DWORD kQuadFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
