// Sample.fx: the model shader (lit, textured, skinned with up to 26 bones) that also draws the effect quads.
//
// Effect file syntax (every .fx of the game): GLSL 3.30 core text plus technique blocks
//     technique NAME { pass NAME { vertex = FUNC; fragment = FUNC; } ... }
// The technique blocks are cut out and the rest is compiled once per stage, with ORL_VERTEX or
// ORL_FRAGMENT defined, so stage-only `in`/`out` declarations sit under #ifdef. Parameters are the
// uniforms, set by name. Matrices arrive exactly as the game holds them (D3DX, row vectors), so
// points are transformed as `v * M`. Attribute locations: 0 position, 1 normal, 2 diffuse colour,
// 3 texcoord, 4 blend weights, 5 blend indices. Output location 0 is render target 0, location 1
// render target 1. Helpers injected into both stages: orl_ClipFromD3D, orl_ClipFromScreen,
// orl_ViewportSize.
//
// Two kinds of geometry come through technique "Tech":
//  * models (XYZ[B*]|NORMAL|TEX1): lit by the one directional light, Gouraud diffuse + ambient and a
//    Blinn specular, textured; skinned through "mWArray" when "CurNumBones" > 0. Models never glow:
//    they write a transparent zero to target 1, so under the usual alpha blend it stays untouched.
//  * effect quads (XYZ|DIFFUSE|TEX5, no normal): unlit, texture x vertex colour x the quad's colour,
//    with the opacity of the quad's colour alone (the vertex alpha holds the same value). Many quads
//    go in one draw, so each vertex carries its quad's placement (texture sets 1 to 3: the first
//    three columns of its world matrix, at locations 6 to 8) and colour (set 4, location 9). Close to the
//    camera they fade out by view depth, so a spark or light ball the camera flies through does not
//    flash over the screen. They write the same colour to target 1 (the glow target while the
//    effects draw), so the glow receives exactly what the quad shows and the blur spreads it into a halo.
// A vertex without a normal (the quad format has none, so it reads as zero) marks a quad.

uniform mat4 mW;
uniform mat4 mV;
uniform mat4 mP;
uniform mat4 mWArray[26];
uniform int CurNumBones;

uniform vec3 CamPos;
uniform vec3 LightDir;
uniform vec4 LightColor;
uniform vec4 LightAmbient;
uniform vec4 LightSpecular;

uniform vec4 MateDiffuse;
uniform vec4 MateSpecular;
uniform float MateSpePower;
uniform sampler2D MateDiffuseTex;

// A flat colour the whole draw is pulled towards by its alpha (zero: no change).
uniform vec4 TakeColor;
// How much of a model shows through (zero: solid); the ghost racer is drawn see-through.
uniform float Translucency;

// View depths over which an effect quad fades out as the camera nears it: gone at the first, whole
// from the second on. The keyboard racer's own circle and sparks stay beyond the second.
const float kQuadGoneDepth = 1.0;
const float kQuadWholeDepth = 3.0;

// Distance fog: rgb and strength (0: none), and the distances where it starts and is full.
uniform vec4 FogColor;
uniform vec4 FogRange;

#ifdef ORL_VERTEX
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec4 inColor;
layout(location = 3) in vec2 inTexCoord;
layout(location = 4) in vec4 inBlendWeights;
layout(location = 5) in vec4 inBlendIndices;
layout(location = 6) in vec4 inQuadPlace0;
layout(location = 7) in vec4 inQuadPlace1;
layout(location = 8) in vec4 inQuadPlace2;
layout(location = 9) in vec4 inQuadColour;

out vec2 vTexCoord;
out vec4 vDiffuse;
out vec3 vSpecular;
out float vViewDepth;
flat out float vGlow;
out float vFog;

mat4 PaletteMatrix(float index) {
    return mWArray[clamp(int(index + 0.5), 0, 25)];
}

// Blends position and normal over the first CurNumBones palette matrices; the last weight is what
// the stored ones leave over, so the weights always sum to one.
void Skin(vec3 position, vec3 normal, out vec3 worldPos, out vec3 worldNormal) {
    int influences = min(CurNumBones, 4);
    vec4 p = vec4(position, 1.0);
    vec4 n = vec4(normal, 0.0);
    vec4 blendedPos = vec4(0.0);
    vec4 blendedNormal = vec4(0.0);
    float rest = 1.0;
    for (int i = 0; i < influences - 1; ++i) {
        float w = inBlendWeights[i];
        mat4 m = PaletteMatrix(inBlendIndices[i]);
        blendedPos += w * (p * m);
        blendedNormal += w * (n * m);
        rest -= w;
    }
    mat4 last = PaletteMatrix(inBlendIndices[influences - 1]);
    blendedPos += rest * (p * last);
    blendedNormal += rest * (n * last);
    worldPos = blendedPos.xyz;
    worldNormal = blendedNormal.xyz;
}

void LightModel(vec3 worldPos, vec3 worldNormal) {
    vec3 n = normalize(worldNormal);
    vec3 toLight = -normalize(LightDir);
    float diffuse = max(dot(n, toLight), 0.0);
    vDiffuse = vec4(MateDiffuse.rgb * (LightColor.rgb * diffuse + LightAmbient.rgb), MateDiffuse.a);
    vSpecular = vec3(0.0);
    if (MateSpePower > 0.0 && diffuse > 0.0) {
        vec3 halfway = normalize(toLight + normalize(CamPos - worldPos));
        float highlight = pow(max(dot(n, halfway), 0.0), MateSpePower);
        vSpecular = MateSpecular.rgb * LightSpecular.rgb * highlight;
    }
}

void ModelVS() {
    vTexCoord = inTexCoord;
    vec3 worldPos;
    if (dot(inNormal, inNormal) < 0.25) {
        // An effect quad: placed and coloured by what its vertices carry of it.
        mat4 place = mat4(inQuadPlace0, inQuadPlace1, inQuadPlace2, vec4(0.0, 0.0, 0.0, 1.0));
        worldPos = (vec4(inPosition, 1.0) * place).xyz;
        vDiffuse = vec4(inColor.rgb * inQuadColour.rgb, clamp(inQuadColour.a, 0.0, 1.0));
        vSpecular = vec3(0.0);
        vGlow = 1.0;
        vFog = 0.0;
    } else {
        vec3 worldNormal;
        if (CurNumBones > 0) {
            // Skin matrices already map model space to world space.
            Skin(inPosition, inNormal, worldPos, worldNormal);
        } else {
            worldPos = (vec4(inPosition, 1.0) * mW).xyz;
            worldNormal = (vec4(inNormal, 0.0) * mW).xyz;
        }
        LightModel(worldPos, worldNormal);
        vGlow = 0.0;
        vFog = FogRange.y > FogRange.x
                   ? FogColor.a * smoothstep(FogRange.x, FogRange.y, distance(worldPos, CamPos))
                   : 0.0;
    }
    vec4 viewPos = vec4(worldPos, 1.0) * mV;
    vViewDepth = viewPos.z;
    gl_Position = orl_ClipFromD3D(viewPos * mP);
}
#endif

#ifdef ORL_FRAGMENT
in vec2 vTexCoord;
in vec4 vDiffuse;
in vec3 vSpecular;
in float vViewDepth;
flat in float vGlow;
in float vFog;

layout(location = 0) out vec4 outColor;
layout(location = 1) out vec4 outGlow;

void ModelPS() {
    vec4 colour = texture(MateDiffuseTex, vTexCoord) * vDiffuse;
    colour.rgb += vSpecular;
    colour.rgb = mix(colour.rgb, TakeColor.rgb, TakeColor.a);
    // per fragment, so a quad that reaches past the camera fades only where it comes close
    colour.a *= mix(1.0, smoothstep(kQuadGoneDepth, kQuadWholeDepth, vViewDepth), vGlow);
    colour.a *= 1.0 - Translucency;
    colour.rgb = mix(colour.rgb, FogColor.rgb, vFog);
    outColor = colour;
    outGlow = colour * vGlow;
}
#endif

technique Tech {
    pass P0 {
        vertex = ModelVS;
        fragment = ModelPS;
    }
}
