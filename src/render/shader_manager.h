// The two model-shader instances, the glow blur and the world's target, shared by everything that draws.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "render/blur_filter.h"
#include "render/model_shader.h"
#include "render/scene_target.h"

class ShaderManager {
public:
    static ShaderManager& Instance();
    static void ResetInstance();

    void SetLight(const D3DXVECTOR3& direction, const D3DXCOLOR& diffuse, const D3DXCOLOR& ambient,
                  const D3DXCOLOR& specular);
    // Distance fog of the map objects and racers: rgb and strength (0 leaves colours untouched),
    // thickening from a third of `far` to `far`.
    void SetFog(const D3DXVECTOR4& colour, float far);

    ModelShader mainShader;   // racers and effect quads
    ModelShader objectShader; // map objects
    BlurFilter blur;
    SceneTarget scene; // the world's smaller target at the low level
};

// Creates an effect from a file on the application's device. On failure shows the compiler's text
// in the "シェーダコンパイルエラー" box and returns null; the caller goes on without the effect.
// linkNow: the techniques to build at once (all when empty); the others are built when first used.
std::unique_ptr<gpu::Effect> LoadEffectFile(const char* path, const std::vector<std::string>& linkNow = {});
