// Blur.fx: screen-space copy and the separable blur passes of the effects' glow.
//
// Effect file syntax (every .fx of the game): GLSL 3.30 core text plus technique blocks
//     technique NAME { pass NAME { vertex = FUNC; fragment = FUNC; } ... }
// The technique blocks are cut out and the rest is compiled once per stage, with ORL_VERTEX or
// ORL_FRAGMENT defined, so stage-only `in`/`out` declarations sit under #ifdef. Parameters are the
// uniforms, set by name. Attribute locations: 0 position (x, y, z, rhw for pre-transformed
// vertices), 3 texcoord. Output location 0 is render target 0. Helpers injected into both stages:
// orl_ClipFromD3D, orl_ClipFromScreen, orl_ViewportSize.
//
// The quads come pre-transformed from the device's screen-quad draw, corners on whole pixels and
// texture coordinates 0..1. Screen positions name pixel centres, so the corners are pulled back by
// half a pixel: the quad then covers its pixels exactly and every pixel samples the middle of its
// share of the input. Without that each of the eleven passes would drift the glow by half a pixel.
//
// Kernel: a 5-texel box read with three bilinear taps, the centre and one tap halfway between
// texels 1 and 2 on each side (the filter averages them). A box costs three fetches for the spread of a
// 9-texel binomial (variance 2 texels^2), and five X/Y pairs of boxes are already a smooth, almost
// Gaussian halo (sigma about 3 texels of the half-size target, 6 screen pixels).

// Every pass writes alpha = 1 (NormalTech: "Color"'s alpha), so with the usual src-alpha blend a
// pass replaces what its target held before rather than mixing with an older frame.

uniform sampler2D InputTex;
uniform vec4 TexelSize; // x, y: one texel of InputTex in texture coordinates
uniform vec4 Color;

#ifdef ORL_VERTEX
layout(location = 0) in vec4 inPosition;
layout(location = 3) in vec2 inTexCoord;

out vec2 vTexCoord;

void ScreenVS() {
    gl_Position = orl_ClipFromScreen(inPosition - vec4(0.5, 0.5, 0.0, 0.0));
    vTexCoord = inTexCoord;
}
#endif

#ifdef ORL_FRAGMENT
in vec2 vTexCoord;

layout(location = 0) out vec4 outColor;

const float kTapOffset = 1.5;      // between texels 1 and 2
const float kCentreWeight = 0.2;   // texel 0
const float kSideWeight = 0.4;     // texels 1 and 2 together

// The device samples with wrap-around; clamping the taps keeps a glow at one screen edge from
// bleeding in at the opposite one.
vec3 Tap(vec2 uv) {
    return texture(InputTex, clamp(uv, TexelSize.xy * 0.5, 1.0 - TexelSize.xy * 0.5)).rgb;
}

vec3 Blur(vec2 step) {
    vec3 sum = texture(InputTex, vTexCoord).rgb * kCentreWeight;
    sum += (Tap(vTexCoord + step * kTapOffset) + Tap(vTexCoord - step * kTapOffset)) * kSideWeight;
    return sum;
}

void NormalPS() {
    outColor = vec4(texture(InputTex, vTexCoord).rgb * Color.rgb, Color.a);
}

void XBlurPS() {
    outColor = vec4(Blur(vec2(TexelSize.x, 0.0)), 1.0);
}

void YBlurPS() {
    outColor = vec4(Blur(vec2(0.0, TexelSize.y)), 1.0);
}
#endif

technique NormalTech {
    pass P0 {
        vertex = ScreenVS;
        fragment = NormalPS;
    }
}

technique XBlurTech {
    pass P0 {
        vertex = ScreenVS;
        fragment = XBlurPS;
    }
}

technique YBlurTech {
    pass P0 {
        vertex = ScreenVS;
        fragment = YBlurPS;
    }
}
