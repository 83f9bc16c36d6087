// Helpers for the device tests: effect files written to a temporary folder.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace gputest {

inline std::string WriteTempFile(const std::string& name, const std::string& text) {
    auto dir = std::filesystem::temp_directory_path() / "orlenda_gpu_tests";
    std::filesystem::create_directories(dir);
    auto path = dir / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

// A small model-like effect in the agreed syntax, used by several tests.
inline const char* kQuadEffect = R"(// test effect
uniform mat4 mW;
uniform mat4 mV;
uniform mat4 mP;
uniform vec4 MateDiffuse;
uniform vec3 CamPos;
uniform int CurNumBones;
uniform float MateSpePower;
uniform mat4 mWArray[4];
uniform sampler2D MateDiffuseTex;
uniform sampler2D SecondTex;

#ifdef ORL_VERTEX
layout(location = 0) in vec3 inPos;
layout(location = 3) in vec2 inTex;
out vec2 vTex;
void VS() {
    vTex = inTex;
    gl_Position = orl_ClipFromD3D(vec4(inPos, 1.0) * mW * mV * mP);
}
#endif
#ifdef ORL_FRAGMENT
in vec2 vTex;
layout(location = 0) out vec4 outColor;
layout(location = 1) out vec4 outGlow;
void PS() {
    outColor = MateDiffuse * texture(MateDiffuseTex, vTex);
    outGlow = vec4(0.0, 1.0, 0.0, 1.0);
}
void PSPlain() { outColor = MateDiffuse; outGlow = vec4(0.0); }
#endif

technique Tech {
    pass P0 { vertex = VS; fragment = PS; }
}
technique Plain
{
    pass First { vertex = VS; fragment = PSPlain; }
    pass Second { vertex = VS; fragment = PS; }
}
)";

} // namespace gputest
