// Reads an effect (.fx) file: GLSL 3.30 core text plus technique blocks; both backends share it.
//
// The syntax, as the effect files and the device agree on it:
//  * Everything outside technique blocks is GLSL 3.30 core. `//` and `/* */` comments are allowed anywhere.
//  * technique NAME { pass NAME { vertex = FUNC; fragment = FUNC; } ... }
//    Pass order is pass index. FUNC names a `void FUNC()` defined in the GLSL text. The blocks are
//    blanked out (newlines kept) before compiling, so compiler line numbers are the file's own.
//  * Each pass compiles the text twice: as the vertex stage with `#define ORL_VERTEX 1` and as the
//    fragment stage with `#define ORL_FRAGMENT 1`, each with `void main() { FUNC(); }` appended.
//    Stage-only declarations (in/out variables) go inside `#ifdef ORL_VERTEX` / `#ifdef ORL_FRAGMENT`.
//  * Injected into both stages: `uniform vec2 orl_ViewportSize;` (pixels of render target 0),
//    `vec4 orl_ClipFromD3D(vec4)` (D3D clip position -> GL: y flip, z from [0,w] to [-w,w]) and
//    `vec4 orl_ClipFromScreen(vec4)` (XYZRHW pixel position, D3D9 pixel centres -> GL clip position).
//  * Parameters are the top-level uniforms, by name: float, vecN, int, ivecN, bool, mat3, mat4 (also as
//    fixed-size arrays `uniform mat4 mWArray[26];`) and sampler2D (texture units in declaration order).
//    Matrices reach GLSL exactly as the D3DX matrix (uploaded transposed), so code writes row-vector
//    products: `vec4(p, 1.0) * mW * mV * mP`.
//  * Vertex attribute locations: 0 position, 1 normal, 2 diffuse colour, 3 texcoord, 4 blend weights,
//    5 blend indices. Fragment outputs: location 0 -> render target 0, location 1 -> render target 1.
//  * Errors come back as "FILE:LINE: message" lines.
// Does not: includes, sampler states, render states in passes, annotations, structs as parameters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gpu {

enum class UniformType { Float, Vec2, Vec3, Vec4, Int, IVec2, IVec3, IVec4, Bool, Mat3, Mat4, Sampler2D, Other };

struct EffectUniform {
    std::string name;
    UniformType type = UniformType::Other;
    std::uint32_t arraySize = 1; // elements (1 for a plain uniform)
    bool isArray = false;
    int line = 0;
};

struct EffectPass {
    std::string name;
    std::string vertexFunction;
    std::string fragmentFunction;
    int line = 0;
};

struct EffectTechnique {
    std::string name;
    int line = 0;
    std::vector<EffectPass> passes;
};

struct EffectFile {
    std::string fileName;
    std::string glsl; // the file with technique blocks blanked out
    std::vector<EffectTechnique> techniques;
    std::vector<EffectUniform> uniforms;
};

enum class ShaderStage { Vertex, Fragment };

// Parses `text`. On failure returns false and sets *error to "FILE:LINE: message". Any input is safe.
bool ParseEffectFile(std::string_view text, const std::string& fileName, EffectFile* result, std::string* error);

// Reads and parses a file; a missing or unreadable file is an error like any other.
bool LoadEffectFile(const std::string& path, EffectFile* result, std::string* error);

// The complete GLSL source of one stage of one pass (prelude, file text, generated main).
std::string BuildStageSource(const EffectFile& file, const EffectPass& pass, ShaderStage stage);

// Rewrites a GLSL compiler/linker log so its line references read "FILE:LINE: message".
std::string FormatCompilerLog(std::string_view log, const std::string& fileName);

// 32-bit components of one element of a uniform type (0 for samplers and unknown types).
std::uint32_t ComponentsOf(UniformType type);
bool IsIntegerType(UniformType type);

} // namespace gpu
