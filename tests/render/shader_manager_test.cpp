// Shader loading, parameter names and failure handling on the Null device.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "render/graphics_quality.h"
#include "support/singletons.h"
#include "render_fixture.h"

namespace fs = std::filesystem;

namespace {

class ShaderManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetSingletons();
        testsupport::UseJapanese();
        ASSERT_TRUE(GraphicsDevice::Instance().InitNull(1280, 720));
    }
    void TearDown() override { testsupport::ResetSingletons(); }

    BoxRecorder recorder;
};

bool HasTechnique(const gpu::Effect& effect, const char* name) {
    auto names = effect.TechniqueNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST_F(ShaderManagerTest, BothEffectFilesLoadWithTheirTechniques) {
    auto& shaders = ShaderManager::Instance();
    shaders.mainShader.Load();
    shaders.objectShader.Load();
    shaders.blur.Load();
    EXPECT_TRUE(recorder.boxes.empty());
    ASSERT_TRUE(shaders.mainShader.effect);
    ASSERT_TRUE(shaders.objectShader.effect);
    ASSERT_TRUE(shaders.blur.effect);
    EXPECT_NE(shaders.mainShader.effect.get(), shaders.objectShader.effect.get());
    EXPECT_EQ(shaders.mainShader.effect->TechniqueNames(), std::vector<std::string>{"Tech"});
    for (const char* name : {"NormalTech", "CopyTech", "XBlurTech", "YBlurTech", "XBlur7Tech", "YBlur7Tech"}) {
        EXPECT_TRUE(HasTechnique(*shaders.blur.effect, name)) << name;
    }
    EXPECT_EQ(shaders.blur.effect->TechniqueNames().size(), 6u);
    // The white texture for untextured materials and the two half-screen blur targets.
    EXPECT_EQ(shaders.mainShader.defaultTexture.info.Width, 1u);
    EXPECT_EQ(shaders.mainShader.defaultTexture.info.Height, 1u);
    for (auto* target : {&shaders.blur.targetA, &shaders.blur.targetB}) {
        ASSERT_TRUE(target->texture);
        EXPECT_EQ(target->info.Width, 640u);
        EXPECT_EQ(target->info.Height, 360u);
        EXPECT_TRUE(target->texture->IsRenderTarget());
    }
}

TEST_F(ShaderManagerTest, EveryModelParameterIsKnownByName) {
    auto& shader = ShaderManager::Instance().mainShader;
    shader.Load();
    ASSERT_TRUE(shader.effect);
    gpu::Effect& effect = *shader.effect;

    D3DXMATRIX world = Translation(1, 2, 3);
    for (const char* name : {"mW", "mV", "mP"}) {
        effect.SetMatrix(name, &world);
        D3DXMATRIX back;
        ASSERT_TRUE(effect.GetValue(name, &back, sizeof(back))) << name;
        EXPECT_EQ(back, world) << name;
    }
    D3DXVECTOR3 v3(0.25f, -1.0f, 4.0f);
    for (const char* name : {"CamPos", "LightDir"}) {
        effect.SetValue(name, &v3, sizeof(v3));
        D3DXVECTOR3 back;
        ASSERT_TRUE(effect.GetValue(name, &back, sizeof(back))) << name;
        EXPECT_EQ(back, v3) << name;
    }
    D3DXVECTOR4 v4(0.1f, 0.2f, 0.3f, 0.4f);
    for (const char* name :
         {"LightColor", "LightAmbient", "LightSpecular", "MateDiffuse", "MateSpecular", "TakeColor"}) {
        effect.SetVector(name, &v4);
        EXPECT_EQ(GetVector(effect, name), v4) << name;
    }
    effect.SetFloat("MateSpePower", 12.5f);
    float power = 0;
    ASSERT_TRUE(effect.GetValue("MateSpePower", &power, sizeof(power)));
    EXPECT_EQ(power, 12.5f);
    effect.SetInt("CurNumBones", 3);
    int bones = 0;
    ASSERT_TRUE(effect.GetValue("CurNumBones", &bones, sizeof(bones)));
    EXPECT_EQ(bones, 3);

    // The whole palette of 26 matrices is one parameter.
    std::vector<D3DXMATRIX> palette(26);
    for (int i = 0; i < 26; ++i) palette[i] = Translation(float(i), 0, 0);
    effect.SetMatrixArray("mWArray", palette.data(), 26);
    std::vector<D3DXMATRIX> back(26);
    ASSERT_TRUE(effect.GetValue("mWArray", back.data(), 26 * sizeof(D3DXMATRIX)));
    EXPECT_EQ(back[25], palette[25]);
    EXPECT_EQ(back[7], palette[7]);

    // Names outside the file are ignored, not fatal.
    effect.SetMatrix("mWorld", &world);
    effect.SetVector("NoSuchThing", &v4);
    D3DXMATRIX unused;
    EXPECT_FALSE(effect.GetValue("mWorld", &unused, sizeof(unused)));
}

TEST_F(ShaderManagerTest, BlurParametersAreKnownByName) {
    auto& blur = ShaderManager::Instance().blur;
    blur.Load();
    ASSERT_TRUE(blur.effect);
    D3DXVECTOR4 v4(0.5f, 0.25f, 0, 0);
    for (const char* name : {"TexelSize", "Color"}) {
        blur.effect->SetVector(name, &v4);
        EXPECT_EQ(GetVector(*blur.effect, name), v4) << name;
    }
}

TEST_F(ShaderManagerTest, SetLightReachesBothModelShaders) {
    auto& shaders = ShaderManager::Instance();
    shaders.mainShader.Load();
    shaders.objectShader.Load();
    D3DXVECTOR3 dir(0.5f, -1.0f, 0.3f);
    shaders.SetLight(dir, D3DXCOLOR(1, 0.9f, 0.8f, 1), D3DXCOLOR(0.1f, 0.2f, 0.3f, 1), D3DXCOLOR(1, 1, 1, 0.5f));
    for (ModelShader* shader : {&shaders.mainShader, &shaders.objectShader}) {
        D3DXVECTOR3 back;
        ASSERT_TRUE(shader->effect->GetValue("LightDir", &back, sizeof(back)));
        EXPECT_EQ(back, dir);
        EXPECT_EQ(GetVector(*shader->effect, "LightColor"), D3DXVECTOR4(1, 0.9f, 0.8f, 1));
        EXPECT_EQ(GetVector(*shader->effect, "LightAmbient"), D3DXVECTOR4(0.1f, 0.2f, 0.3f, 1));
        EXPECT_EQ(GetVector(*shader->effect, "LightSpecular"), D3DXVECTOR4(1, 1, 1, 0.5f));
    }
}

// Runs the body with the working directory switched to a folder whose Shader/ holds the given files.
class BrokenShaderFolder {
public:
    using Files = std::vector<std::pair<std::string, std::string>>;
    explicit BrokenShaderFolder(const Files& files) {
        previous = fs::current_path();
        root = fs::temp_directory_path() / ("orlenda_shader_test_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "Shader");
        for (auto& [name, text] : files) std::ofstream(root / "Shader" / name) << text;
        fs::current_path(root);
    }
    ~BrokenShaderFolder() {
        fs::current_path(previous);
        fs::remove_all(root);
    }

private:
    fs::path previous, root;
};

TEST_F(ShaderManagerTest, CompileErrorShowsTheCompilerTextAndLeavesNoEffect) {
    auto& shaders = ShaderManager::Instance();
    {
        BrokenShaderFolder folder(
            BrokenShaderFolder::Files{{"Sample.fx", "uniform mat4 mW;\nthis is not glsl\n"
                                                    "technique Tech { pass P0 { vertex = VS; fragment = PS; } }\n"}});
        shaders.mainShader.Load();
        shaders.blur.Load(); // Blur.fx missing altogether
    }
    EXPECT_FALSE(shaders.mainShader.effect);
    EXPECT_FALSE(shaders.blur.effect);
    ASSERT_EQ(recorder.boxes.size(), 2u);
    for (auto& box : recorder.boxes) EXPECT_EQ(box.caption, "シェーダコンパイルエラー");
    EXPECT_NE(recorder.boxes[0].text.find("Sample.fx"), std::string::npos) << recorder.boxes[0].text;
    EXPECT_NE(recorder.boxes[1].text.find("Blur.fx"), std::string::npos) << recorder.boxes[1].text;
    // No texture on a failed load, as when loading stops at the box.
    EXPECT_FALSE(shaders.mainShader.defaultTexture.texture);
    EXPECT_FALSE(shaders.blur.targetB.texture);

    // Start-up goes on: the good files still load afterwards.
    shaders.objectShader.Load();
    EXPECT_TRUE(shaders.objectShader.effect);
    EXPECT_EQ(recorder.boxes.size(), 2u);
}

TEST_F(ShaderManagerTest, InstanceWithoutEffectIgnoresDrawsAndParameters) {
    auto& shaders = ShaderManager::Instance();
    {
        BrokenShaderFolder folder(BrokenShaderFolder::Files{});
        shaders.mainShader.Load();
        shaders.blur.Load();
    }
    ASSERT_EQ(recorder.boxes.size(), 2u);
    gpu::Device& device = *GraphicsDevice::Instance().device;
    std::uint64_t drawsBefore = device.Counters().draws;

    D3DXMATRIX world = Translation(1, 2, 3);
    shaders.mainShader.SetMatrix("mW", world);
    shaders.mainShader.SetVector("MateDiffuse", D3DXVECTOR4(1, 1, 1, 1));
    shaders.mainShader.SetValue("CamPos", &world, 12);
    shaders.SetLight(D3DXVECTOR3(0, -1, 0), D3DXCOLOR(1, 1, 1, 1), D3DXCOLOR(0, 0, 0, 1), D3DXCOLOR(1, 1, 1, 1));
    QuadVertex quad[4] = {};
    shaders.mainShader.DrawQuad(nullptr, quad, D3DXCOLOR(1, 1, 1, 1));
    shaders.mainShader.DrawMesh(StaticMeshParts{});
    SimpleLib::CTexture source;
    source.Create(1280, 720, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT);
    auto target = device.GetRenderTarget(0);
    shaders.blur.Apply(source);
    shaders.blur.DrawTexture(0, 0, source, 1280, 720, D3DXCOLOR(1, 1, 1, 1));

    EXPECT_EQ(device.Counters().draws, drawsBefore);
    EXPECT_EQ(device.GetRenderTarget(0), target);
    EXPECT_EQ(recorder.boxes.size(), 2u); // the failure was shown once, at load
}

// The blur changes blending and addressing for its own passes only: the game's states come back,
// whatever they were, and the chain still draws its copy, two X/Y pass pairs and the composite.
TEST_F(ShaderManagerTest, BlurLeavesTheGameStatesAsItFoundThem) {
    auto& blur = ShaderManager::Instance().blur;
    blur.Load();
    ASSERT_TRUE(blur.effect);
    gpu::Device& device = *GraphicsDevice::Instance().device;
    SimpleLib::CTexture source;
    source.Create(1280, 720, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F, D3DPOOL_DEFAULT);
    for (DWORD blend : {DWORD(TRUE), DWORD(FALSE)}) {
        for (DWORD address : {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR}) {
            device.SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
            device.SetSamplerState(0, D3DSAMP_ADDRESSU, address);
            device.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
            std::uint64_t before = device.Counters().draws;
            blur.Apply(source);
            blur.DrawTexture(0, 0, blur.targetB, 1280, 720, D3DXCOLOR(1.3f, 1.3f, 1.3f, 1));
            EXPECT_EQ(device.Counters().draws - before, 6u);
            EXPECT_EQ(device.GetRenderState(D3DRS_ALPHABLENDENABLE), blend);
            EXPECT_EQ(device.GetSamplerState(0, D3DSAMP_ADDRESSU), address);
            EXPECT_EQ(device.GetSamplerState(0, D3DSAMP_ADDRESSV), D3DTADDRESS_WRAP);
        }
    }
}

TEST_F(ShaderManagerTest, FastGraphicsBlurTwoPairsAtQuarterSizeAndTheLevelsHaveNames) {
    auto& blur = ShaderManager::Instance().blur;
    blur.Load();
    ASSERT_TRUE(blur.effect);
    gpu::Device& device = *GraphicsDevice::Instance().device;
    SimpleLib::CTexture source;
    source.Create(1280, 720, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    GraphicsDevice::Instance().quality = GraphicsQuality::Fast;
    std::uint64_t before = device.Counters().draws;
    blur.Apply(source);
    EXPECT_EQ(device.Counters().draws - before, 5u) << "a copy and two pass pairs";
    EXPECT_EQ(blur.targetB.info.Width, 320u);
    EXPECT_EQ(blur.targetB.info.Height, 180u);
    GraphicsDevice::Instance().quality = GraphicsQuality::Full;
    blur.Apply(source);
    EXPECT_EQ(blur.targetA.info.Width, 640u) << "back to half size for the full glow";

    GraphicsQuality parsed = GraphicsQuality::Full;
    for (GraphicsQuality q : {GraphicsQuality::Fast, GraphicsQuality::Low, GraphicsQuality::Full}) {
        EXPECT_TRUE(ParseGraphicsQuality(GraphicsQualityName(q), &parsed));
        EXPECT_EQ(parsed, q);
    }
    EXPECT_FALSE(ParseGraphicsQuality("ultra", &parsed));
    EXPECT_FALSE(ParseGraphicsQuality("", &parsed));
}

TEST_F(ShaderManagerTest, ReloadReplacesTheEffectAndTexture) {
    auto& shader = ShaderManager::Instance().mainShader;
    shader.Load();
    ASSERT_TRUE(shader.effect);
    D3DXVECTOR4 v(1, 2, 3, 4);
    shader.effect->SetVector("MateDiffuse", &v);
    shader.Load();
    ASSERT_TRUE(shader.effect);
    EXPECT_NE(GetVector(*shader.effect, "MateDiffuse"), v) << "a reloaded effect starts fresh";
    EXPECT_TRUE(shader.defaultTexture.texture);
}

} // namespace
