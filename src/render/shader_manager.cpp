// The shader singleton: both model-shader instances and the blur, plus the shared effect loading.
#include "render/shader_manager.h"

#include <string>

#include "platform/text/translation.h"
#include "platform/window/message_box.h"
#include "render/graphics_device.h"

namespace {
std::unique_ptr<ShaderManager>& Holder() {
    static std::unique_ptr<ShaderManager> instance;
    return instance;
}
} // namespace

ShaderManager& ShaderManager::Instance() {
    auto& holder = Holder();
    if (!holder) holder = std::make_unique<ShaderManager>();
    return *holder;
}

void ShaderManager::ResetInstance() { Holder().reset(); }

void ShaderManager::SetLight(const D3DXVECTOR3& direction, const D3DXCOLOR& diffuse, const D3DXCOLOR& ambient,
                             const D3DXCOLOR& specular) {
    for (ModelShader* shader : {&mainShader, &objectShader}) {
        shader->SetValue("LightDir", &direction, sizeof(direction));
        shader->SetVector("LightColor", D3DXVECTOR4(diffuse.r, diffuse.g, diffuse.b, diffuse.a));
        shader->SetVector("LightAmbient", D3DXVECTOR4(ambient.r, ambient.g, ambient.b, ambient.a));
        shader->SetVector("LightSpecular", D3DXVECTOR4(specular.r, specular.g, specular.b, specular.a));
    }
}

void ShaderManager::SetFog(const D3DXVECTOR4& colour, float far) {
    const D3DXVECTOR4 range{far / 3.0f, far, 0.0f, 0.0f};
    for (ModelShader* shader : {&mainShader, &objectShader}) {
        shader->SetVector("FogColor", colour);
        shader->SetVector("FogRange", range);
    }
}

std::unique_ptr<gpu::Effect> LoadEffectFile(const char* path, const std::vector<std::string>& linkNow) {
    gpu::Device* device = GraphicsDevice::Instance().device.get();
    std::string errors;
    std::unique_ptr<gpu::Effect> effect;
    if (device) effect = device->CreateEffectFromFile(path, &errors, linkNow);
    if (effect) return effect;
    // The compiler's text says what went wrong; a missing file or device may leave it empty.
    if (errors.empty()) errors = std::string(path) + ": " + platform::text::Translate("cannot read the effect file");
    MessageBoxA(nullptr, errors.c_str(), platform::text::Translate("Shader compile error"), MB_OK);
    return nullptr;
}
