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
// Kernel: a 5-texel box. Five X/Y pairs of boxes are already a smooth, almost Gaussian halo (sigma
// about 3 texels of the half-size target, 6 screen pixels). The blur passes read whole texels with
// texelFetch: on a software rasteriser five unfiltered reads cost less than the three bilinear taps
// that would give the same box (measured about 40% less per pass on llvmpipe); on a GPU either is
// negligible at 640 x 360. Taps are clamped to the image, so a glow at one screen edge does not
// wrap around to the opposite one. The copy and the composite sample bilinearly (2 x 2 average
// down, smooth up).

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

// The box along one axis around the texel under this pixel (blur passes keep the input's size).
// Only the coordinate along the axis moves, so only it is clamped.
vec3 BlurX() {
    ivec2 size = textureSize(InputTex, 0);
    ivec2 centre = clamp(ivec2(vTexCoord * vec2(size)), ivec2(0), size - 1);
    int last = size.x - 1;
    vec3 sum = texelFetch(InputTex, centre, 0).rgb;
    sum += texelFetch(InputTex, ivec2(min(centre.x + 1, last), centre.y), 0).rgb;
    sum += texelFetch(InputTex, ivec2(max(centre.x - 1, 0), centre.y), 0).rgb;
    sum += texelFetch(InputTex, ivec2(min(centre.x + 2, last), centre.y), 0).rgb;
    sum += texelFetch(InputTex, ivec2(max(centre.x - 2, 0), centre.y), 0).rgb;
    return sum * 0.2;
}

vec3 BlurY() {
    ivec2 size = textureSize(InputTex, 0);
    ivec2 centre = clamp(ivec2(vTexCoord * vec2(size)), ivec2(0), size - 1);
    int last = size.y - 1;
    vec3 sum = texelFetch(InputTex, centre, 0).rgb;
    sum += texelFetch(InputTex, ivec2(centre.x, min(centre.y + 1, last)), 0).rgb;
    sum += texelFetch(InputTex, ivec2(centre.x, max(centre.y - 1, 0)), 0).rgb;
    sum += texelFetch(InputTex, ivec2(centre.x, min(centre.y + 2, last)), 0).rgb;
    sum += texelFetch(InputTex, ivec2(centre.x, max(centre.y - 2, 0)), 0).rgb;
    return sum * 0.2;
}

void NormalPS() {
    outColor = vec4(texture(InputTex, vTexCoord).rgb * Color.rgb, Color.a);
}

// The low level's stretch of the world over the screen: nothing to tint, and a software rasterizer
// shades a bare copy faster than one that multiplies.
void CopyPS() {
    outColor = vec4(texture(InputTex, vTexCoord).rgb, 1.0);
}

void XBlurPS() {
    outColor = vec4(BlurX(), 1.0);
}

void YBlurPS() {
    outColor = vec4(BlurY(), 1.0);
}
#endif

technique NormalTech {
    pass P0 {
        vertex = ScreenVS;
        fragment = NormalPS;
    }
}

technique CopyTech {
    pass P0 {
        vertex = ScreenVS;
        fragment = CopyPS;
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
