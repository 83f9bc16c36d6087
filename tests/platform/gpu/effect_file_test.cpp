// Effect file parsing and parameter storage: techniques, uniforms, error lines, hostile input.
#include <gtest/gtest.h>

#include <random>

#include "platform/gpu/gpu_test_util.h"
#include "platform/gpu/effect_file.h"
#include "platform/gpu/effect_parameters.h"

using namespace gpu;

namespace {

EffectFile ParseOk(const std::string& text) {
    EffectFile file;
    std::string error;
    EXPECT_TRUE(ParseEffectFile(text, "t.fx", &file, &error)) << error;
    return file;
}

std::string ParseError(const std::string& text) {
    EffectFile file;
    std::string error;
    EXPECT_FALSE(ParseEffectFile(text, "t.fx", &file, &error));
    return error;
}

const std::string kMinimal = "void V() {}\nvoid F() {}\ntechnique T { pass P { vertex = V; fragment = F; } }\n";

} // namespace

TEST(EffectFile, TechniquesPassesAndUniforms) {
    EffectFile f = ParseOk(gputest::kQuadEffect);
    ASSERT_EQ(f.techniques.size(), 2u);
    EXPECT_EQ(f.techniques[0].name, "Tech");
    ASSERT_EQ(f.techniques[1].passes.size(), 2u);
    EXPECT_EQ(f.techniques[1].passes[0].name, "First");
    EXPECT_EQ(f.techniques[1].passes[0].fragmentFunction, "PSPlain");
    EXPECT_EQ(f.techniques[1].passes[1].vertexFunction, "VS");
    ASSERT_EQ(f.uniforms.size(), 10u);
    EXPECT_EQ(f.uniforms[0].name, "mW");
    EXPECT_EQ(f.uniforms[0].type, UniformType::Mat4);
    EXPECT_EQ(f.uniforms[4].type, UniformType::Vec3);
    EXPECT_EQ(f.uniforms[5].type, UniformType::Int);
    EXPECT_EQ(f.uniforms[7].name, "mWArray");
    EXPECT_TRUE(f.uniforms[7].isArray);
    EXPECT_EQ(f.uniforms[7].arraySize, 4u);
    EXPECT_EQ(f.uniforms[8].type, UniformType::Sampler2D);
}

TEST(EffectFile, TechniqueBlocksAreBlankedKeepingLines) {
    EffectFile f = ParseOk(gputest::kQuadEffect);
    EXPECT_EQ(f.glsl.find("technique"), std::string::npos);
    EXPECT_EQ(f.glsl.find("pass"), std::string::npos);
    const std::string original = gputest::kQuadEffect;
    EXPECT_EQ(std::count(f.glsl.begin(), f.glsl.end(), '\n'), std::count(original.begin(), original.end(), '\n'));
    EXPECT_EQ(f.glsl.size(), original.size());
}

TEST(EffectFile, CommentsAndMultipleDeclarators) {
    EffectFile f = ParseOk("/* technique X { } */ uniform float a, b[3]; // uniform vec4 hidden;\n"
                           "uniform highp vec2 c;\n" +
                           kMinimal);
    ASSERT_EQ(f.uniforms.size(), 3u);
    EXPECT_EQ(f.uniforms[1].name, "b");
    EXPECT_EQ(f.uniforms[1].arraySize, 3u);
    EXPECT_EQ(f.uniforms[2].type, UniformType::Vec2);
    EXPECT_EQ(f.uniforms[2].line, 2);
    ASSERT_EQ(f.techniques.size(), 1u);
}

TEST(EffectFile, StageSourceHasPreludeAndMain) {
    EffectFile f = ParseOk(gputest::kQuadEffect);
    std::string vs = BuildStageSource(f, f.techniques[0].passes[0], ShaderStage::Vertex);
    std::string fs = BuildStageSource(f, f.techniques[0].passes[0], ShaderStage::Fragment);
    EXPECT_EQ(vs.rfind("#version 330 core\n", 0), 0u);
    EXPECT_NE(vs.find("#define ORL_VERTEX 1"), std::string::npos);
    EXPECT_NE(fs.find("#define ORL_FRAGMENT 1"), std::string::npos);
    EXPECT_NE(vs.find("void main() { VS(); }"), std::string::npos);
    EXPECT_NE(fs.find("void main() { PS(); }"), std::string::npos);
    EXPECT_NE(vs.find("orl_ClipFromScreen"), std::string::npos);
    EXPECT_NE(vs.find("#line 1\n"), std::string::npos);
}

TEST(EffectFile, ErrorsNameFileAndLine) {
    EXPECT_EQ(ParseError("void V() {}\nvoid F() {\n" + kMinimal), "t.fx:2: '{' is never closed");
    EXPECT_EQ(ParseError("void V() {}\n}\n" + kMinimal), "t.fx:2: unexpected '}'");
    EXPECT_EQ(ParseError("void V() {}\n\ntechnique T { pass P { vertex = V; fragment = Missing; } }\n"),
              "t.fx:3: function 'void Missing()' of pass 'T.P' is not defined");
    EXPECT_EQ(ParseError("void V() {}\ntechnique T {\n pass P { vertex = V; } }\n"),
              "t.fx:3: pass 'P' needs both a vertex and a fragment function");
    EXPECT_EQ(ParseError("void V() {}\ntechnique T { }\n"), "t.fx:2: technique 'T' has no pass");
    EXPECT_EQ(ParseError("void V() {}\n"), "t.fx:1: no technique in the file");
    EXPECT_EQ(ParseError("/* open\n\n"), "t.fx:1: unterminated comment");
    EXPECT_EQ(ParseError("uniform mat4 m[N];\n" + kMinimal), "t.fx:1: array size of 'm' must be a number");
    EXPECT_EQ(ParseError(kMinimal + kMinimal.substr(24)), "t.fx:4: technique 'T' defined twice");
    EXPECT_NE(ParseError("void V() {}\ntechnique T { pass P { vertex V; } }").find("t.fx:2: expected '='"),
              std::string::npos);
}

TEST(EffectFile, MissingFileIsAnError) {
    EffectFile f;
    std::string error;
    EXPECT_FALSE(LoadEffectFile("/nonexistent/Shader/None.fx", &f, &error));
    EXPECT_NE(error.find("None.fx"), std::string::npos);
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST(EffectFile, CompilerLogGetsFileLines) {
    EXPECT_EQ(FormatCompilerLog("0:12(5): error: `x' undeclared\n", "Shader/Sample.fx"),
              "Shader/Sample.fx:12: error: `x' undeclared\n");
    EXPECT_EQ(FormatCompilerLog("0(7) : error C0000: syntax error", "a.fx"), "a.fx:7: error C0000: syntax error\n");
    EXPECT_EQ(FormatCompilerLog("link failed\n", "a.fx"), "a.fx: link failed\n");
}

TEST(EffectFile, HostileInputNeverCrashes) {
    const std::string seeds[] = {std::string(gputest::kQuadEffect),
                                 kMinimal,
                                 "technique",
                                 "technique T { pass",
                                 "uniform",
                                 "uniform mat4",
                                 "uniform mat4 x[",
                                 "uniform mat4 x[99999999999];",
                                 "/*",
                                 "#define a \\\n",
                                 "}}}}",
                                 "{{{{",
                                 std::string(1, '\xff'),
                                 "\xe3\x81"};
    std::mt19937 rng(1234);
    for (const auto& seed : seeds) {
        EffectFile f;
        std::string error;
        ParseEffectFile(seed, "h.fx", &f, &error);
        for (int round = 0; round < 300 && !seed.empty(); ++round) {
            std::string text = seed;
            int edits = 1 + rng() % 4;
            for (int e = 0; e < edits; ++e) {
                std::size_t at = rng() % text.size();
                switch (rng() % 3) {
                case 0: text.erase(at, 1 + rng() % 8); break;
                case 1: text.insert(at, 1, "{}[];=,/*#\n\0ab"[rng() % 14]); break;
                default: text[at] = static_cast<char>(rng()); break;
                }
                if (text.empty()) text.push_back('x');
            }
            error.clear();
            bool ok = ParseEffectFile(text, "h.fx", &f, &error);
            if (!ok) { EXPECT_EQ(error.rfind("h.fx:", 0), 0u) << error; }
        }
    }
}

TEST(EffectParameters, StoresConvertsAndIgnoresUnknownNames) {
    EffectFile f = ParseOk(gputest::kQuadEffect);
    EffectParameters p(f.uniforms);
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 1, 2, 3);
    p.SetMatrix("mW", &m);
    D3DXMATRIX back;
    ASSERT_TRUE(p.GetValue("mW", &back, sizeof back));
    EXPECT_EQ(back, m);

    const float cam[3] = {4, 5, 6};
    p.SetValue("CamPos", cam, 12);
    float camBack[3] = {};
    ASSERT_TRUE(p.GetValue("CamPos", camBack, 12));
    EXPECT_EQ(camBack[2], 6.0f);
    const float tooBig[4] = {9, 9, 9, 9};
    p.SetValue("CamPos", tooBig, 16); // larger than the parameter: refused
    ASSERT_TRUE(p.GetValue("CamPos", camBack, 12));
    EXPECT_EQ(camBack[0], 4.0f);

    p.SetInt("CurNumBones", 3);
    int bones = 0;
    ASSERT_TRUE(p.GetValue("CurNumBones", &bones, 4));
    EXPECT_EQ(bones, 3);
    p.SetFloat("CurNumBones", 2.0f); // converted for an int uniform
    p.GetValue("CurNumBones", &bones, 4);
    EXPECT_EQ(bones, 2);
    p.SetInt("MateSpePower", 5); // converted for a float uniform
    float power = 0;
    p.GetValue("MateSpePower", &power, 4);
    EXPECT_EQ(power, 5.0f);

    std::uint32_t before = p.ChangeCount();
    p.SetFloat("NoSuchParameter", 1.0f);
    p.SetMatrix("NoSuchMatrix", &m);
    EXPECT_EQ(p.ChangeCount(), before);
    EXPECT_FALSE(p.GetValue("NoSuchParameter", &power, 4));
}

TEST(EffectParameters, MatrixArraysAndSamplerUnits) {
    EffectFile f = ParseOk(gputest::kQuadEffect);
    EffectParameters p(f.uniforms);
    D3DXMATRIX palette[6];
    for (int i = 0; i < 6; ++i) D3DXMatrixTranslation(&palette[i], float(i), 0, 0);
    p.SetMatrixArray("mWArray", palette, 6); // only the declared 4 are kept
    D3DXMATRIX back[4];
    ASSERT_TRUE(p.GetValue("mWArray", back, sizeof back));
    EXPECT_EQ(back[3]._41, 3.0f);
    EXPECT_FALSE(p.GetValue("mWArray", palette, sizeof palette));

    EXPECT_EQ(p.SamplerCount(), 2);
    EXPECT_EQ(p.Slots()[p.Find("MateDiffuseTex")].samplerUnit, 0);
    EXPECT_EQ(p.Slots()[p.Find("SecondTex")].samplerUnit, 1);
}

TEST(EffectFile, ShippedEffectFilesParse) {
    const char* source = std::getenv("ORLENDA_SOURCE");
    if (!source) GTEST_SKIP() << "ORLENDA_SOURCE not set";
    for (const char* name : {"Sample.fx", "Blur.fx"}) {
        std::string path = std::string(source) + "/content/Shader/" + name;
        if (!std::filesystem::exists(path)) continue;
        EffectFile f;
        std::string error;
        EXPECT_TRUE(LoadEffectFile(path, &f, &error)) << error;
    }
}
