// Fixed-function emulation: one program whose uniforms carry the device state that matters.
#include "platform/gpu/gl/gl_fixed_function.h"

#include "platform/gpu/gl/gl_program.h"

namespace gpu {
namespace {

enum Flag { kPreTransformed = 1, kNormal = 2, kDiffuse = 4, kLighting = 8, kLight0 = 16, kSpecular = 32 };

const char* kVertexSource = R"(#version 330 core
layout(location = 0) in vec4 inPos;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec4 inColor;
layout(location = 3) in vec2 inTex;
uniform mat4 uWorld;
uniform mat4 uNormalMatrix;
uniform mat4 uViewProj;
uniform vec2 uViewport;
uniform int uFlags;
uniform vec3 uLightDir;
uniform vec4 uLightDiffuse, uLightSpecular, uLightAmbient;
uniform vec4 uMatDiffuse, uMatAmbient, uMatSpecular, uMatEmissive;
uniform float uMatPower;
uniform vec4 uGlobalAmbient;
uniform vec3 uCamPos;
out vec4 vDiffuse;
out vec4 vSpecular;
out vec2 vTex;
void main() {
    vTex = inTex;
    vec4 vertexColor = (uFlags & 4) != 0 ? inColor : vec4(1.0);
    vSpecular = vec4(0.0);
    if ((uFlags & 1) != 0) {
        float w = inPos.w != 0.0 ? 1.0 / inPos.w : 1.0;
        vec2 ndc = (inPos.xy + 0.5) / uViewport * 2.0 - 1.0;
        gl_Position = vec4(ndc, inPos.z * 2.0 - 1.0, 1.0) * w;
        vDiffuse = vertexColor;
        return;
    }
    vec4 world = vec4(inPos.xyz, 1.0) * uWorld;
    vec4 clip = world * uViewProj;
    gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);
    if ((uFlags & 8) == 0) {
        vDiffuse = vertexColor;
        return;
    }
    vec4 md = (uFlags & 4) != 0 ? inColor : uMatDiffuse;
    vec3 color = uMatAmbient.rgb * uGlobalAmbient.rgb + uMatEmissive.rgb;
    if ((uFlags & 16) != 0) {
        vec3 n = vec3(0.0);
        if ((uFlags & 2) != 0) {
            vec3 wn = (vec4(inNormal, 0.0) * uNormalMatrix).xyz;
            n = dot(wn, wn) > 0.0 ? normalize(wn) : wn;
        }
        vec3 l = -uLightDir;
        float ndl = max(dot(n, l), 0.0);
        color += md.rgb * uLightDiffuse.rgb * ndl + uMatAmbient.rgb * uLightAmbient.rgb;
        if ((uFlags & 32) != 0 && ndl > 0.0) {
            vec3 h = normalize(normalize(uCamPos - world.xyz) + l);
            float s = pow(max(dot(n, h), 0.0), max(uMatPower, 0.0001));
            vSpecular = vec4(uMatSpecular.rgb * uLightSpecular.rgb * s, 0.0);
        }
    }
    vDiffuse = vec4(clamp(color, 0.0, 1.0), md.a);
}
)";

const char* kFragmentSource = R"(#version 330 core
uniform sampler2D uTex;
uniform int uStage;
in vec4 vDiffuse;
in vec4 vSpecular;
in vec2 vTex;
layout(location = 0) out vec4 outColor;
layout(location = 1) out vec4 outColor1;
vec4 Arg(int a, vec4 tex) { return a == 2 ? tex : vDiffuse; }
vec4 Combine(int op, vec4 a1, vec4 a2) {
    if (op == 1) return vDiffuse;
    if (op == 2) return a1;
    if (op == 3) return a2;
    return a1 * a2;
}
void main() {
    vec4 tex = (uStage & 0x1000000) != 0 ? texture(uTex, vTex) : vec4(1.0);
    vec4 c = Combine(uStage & 15, Arg((uStage >> 4) & 15, tex), Arg((uStage >> 8) & 15, tex));
    vec4 a = Combine((uStage >> 12) & 15, Arg((uStage >> 16) & 15, tex), Arg((uStage >> 20) & 15, tex));
    outColor = vec4(min(c.rgb + vSpecular.rgb, vec3(1.0)), a.a);
    outColor1 = vec4(0.0);
}
)";

void Color(GLint location, const D3DCOLORVALUE& c) { glUniform4f(location, c.r, c.g, c.b, c.a); }

} // namespace

bool GlFixedFunction::Build(std::string* error) {
    program_ = BuildProgram(kVertexSource, kFragmentSource, "fixed-function", error);
    if (!program_) return false;
    auto at = [&](const char* name) { return glGetUniformLocation(program_, name); };
    world_ = at("uWorld");
    normalMatrix_ = at("uNormalMatrix");
    viewProj_ = at("uViewProj");
    viewport_ = at("uViewport");
    flags_ = at("uFlags");
    stage_ = at("uStage");
    lightDir_ = at("uLightDir");
    lightDiffuse_ = at("uLightDiffuse");
    lightSpecular_ = at("uLightSpecular");
    lightAmbient_ = at("uLightAmbient");
    matDiffuse_ = at("uMatDiffuse");
    matAmbient_ = at("uMatAmbient");
    matSpecular_ = at("uMatSpecular");
    matEmissive_ = at("uMatEmissive");
    matPower_ = at("uMatPower");
    globalAmbient_ = at("uGlobalAmbient");
    camPos_ = at("uCamPos");
    glUseProgram(program_);
    glUniform1i(at("uTex"), 0);
    return true;
}

void GlFixedFunction::Release() {
    if (program_) glDeleteProgram(program_);
    program_ = 0;
}

void GlFixedFunction::UploadState(const DeviceState& s) {
    glUniformMatrix4fv(world_, 1, GL_TRUE, s.world.data());
    // Normals stay perpendicular to their surface only under the inverse transpose of the world
    // matrix (a stretched or sheared model would otherwise be lit as if tilted).
    D3DXMATRIX inverseWorld, normalMatrix = s.world;
    if (D3DXMatrixInverse(&inverseWorld, nullptr, &s.world)) D3DXMatrixTranspose(&normalMatrix, &inverseWorld);
    glUniformMatrix4fv(normalMatrix_, 1, GL_TRUE, normalMatrix.data());
    D3DXMATRIX viewProj = s.view * s.projection;
    glUniformMatrix4fv(viewProj_, 1, GL_TRUE, viewProj.data());
    const D3DLIGHT9& light = s.lights[0];
    D3DXVECTOR3 dir = light.Direction;
    if (D3DXVec3LengthSq(&dir) > 0) D3DXVec3Normalize(&dir, &dir);
    glUniform3f(lightDir_, dir.x, dir.y, dir.z);
    Color(lightDiffuse_, light.Diffuse);
    Color(lightSpecular_, light.Specular);
    Color(lightAmbient_, light.Ambient);
    Color(matDiffuse_, s.material.Diffuse);
    Color(matAmbient_, s.material.Ambient);
    Color(matSpecular_, s.material.Specular);
    Color(matEmissive_, s.material.Emissive);
    glUniform1f(matPower_, s.material.Power);
    DWORD a = s.renderStates[D3DRS_AMBIENT];
    glUniform4f(globalAmbient_, ((a >> 16) & 0xFF) / 255.0f, ((a >> 8) & 0xFF) / 255.0f, (a & 0xFF) / 255.0f,
                ((a >> 24) & 0xFF) / 255.0f);
    D3DXMATRIX inverseView;
    if (D3DXMatrixInverse(&inverseView, nullptr, &s.view))
        glUniform3f(camPos_, inverseView._41, inverseView._42, inverseView._43);

    stateFlags_ = 0;
    if (s.renderStates[D3DRS_LIGHTING]) stateFlags_ |= kLighting;
    if (s.lightEnabled[0] && s.lights[0].Type == D3DLIGHT_DIRECTIONAL) stateFlags_ |= kLight0;
    if (s.renderStates[D3DRS_SPECULARENABLE]) stateFlags_ |= kSpecular;
    const DWORD* st = s.stageStates;
    stageBits_ =
        int((st[D3DTSS_COLOROP] & 15) | (st[D3DTSS_COLORARG1] & 15) << 4 | (st[D3DTSS_COLORARG2] & 15) << 8 |
            (st[D3DTSS_ALPHAOP] & 15) << 12 | (st[D3DTSS_ALPHAARG1] & 15) << 16 | (st[D3DTSS_ALPHAARG2] & 15) << 20);
}

void GlFixedFunction::Apply(const DeviceState& state, DWORD fvf, bool hasTexture, int viewportW, int viewportH,
                            bool stateChanged) {
    if (stateChanged) UploadState(state);
    int flags = stateFlags_;
    if ((fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW) flags |= kPreTransformed;
    if (fvf & D3DFVF_NORMAL) flags |= kNormal;
    if (fvf & D3DFVF_DIFFUSE) flags |= kDiffuse;
    if (flags != lastFlags_) glUniform1i(flags_, flags);
    lastFlags_ = flags;
    int stage = stageBits_ | (hasTexture ? 0x1000000 : 0);
    if (stage != lastStage_) glUniform1i(stage_, stage);
    lastStage_ = stage;
    if (viewportW != lastViewportW_ || viewportH != lastViewportH_)
        glUniform2f(viewport_, float(viewportW), float(viewportH));
    lastViewportW_ = viewportW;
    lastViewportH_ = viewportH;
}

} // namespace gpu
