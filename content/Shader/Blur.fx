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
// share of the input. Without that each pass would drift the glow by half a pixel.
//
// Kernel: a box. Two X/Y pairs of 7-texel boxes at half size (the full graphics level) make a soft
// halo with sigma about 2.8 texels, 5.7 screen pixels; the fast level blurs a quarter-size copy with
// two pairs of 5-texel boxes. Five pairs of the 5-texel box were a little smoother (sigma 3.2 texels)
// but cost two and a half times the passes, each a full pass over the lit patches on a software
// rasteriser. The blur passes read whole texels with texelFetch: on a software rasteriser unfiltered
// reads cost less than the bilinear taps that would give the same box (measured about 40% less per
// pass on llvmpipe). Taps are clamped to the image, so a glow at one screen edge does not wrap around
// to the opposite one. The copy and the composite sample bilinearly (2 x 2 average down, smooth up).

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

// The box of 2 * radius + 1 texels along one axis around the texel under this pixel (blur passes
// keep the input's size). Only the coordinate along the axis moves, so clamping both changes only it.
vec3 Box(ivec2 axis, int radius) {
    ivec2 size = textureSize(InputTex, 0);
    ivec2 centre = clamp(ivec2(vTexCoord * vec2(size)), ivec2(0), size - 1);
    ivec2 last = size - 1;
    vec3 sum = texelFetch(InputTex, centre, 0).rgb;
    for (int i = 1; i <= radius; ++i) {
        sum += texelFetch(InputTex, min(centre + axis * i, last), 0).rgb;
        sum += texelFetch(InputTex, max(centre - axis * i, ivec2(0)), 0).rgb;
    }
    return sum * (1.0 / float(2 * radius + 1));
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
    outColor = vec4(Box(ivec2(1, 0), 2), 1.0);
}

void YBlurPS() {
    outColor = vec4(Box(ivec2(0, 1), 2), 1.0);
}

// Seven texels a pass: two pairs of these spread about as far as five pairs of the five-texel box.
void XBlur7PS() {
    outColor = vec4(Box(ivec2(1, 0), 3), 1.0);
}

void YBlur7PS() {
    outColor = vec4(Box(ivec2(0, 1), 3), 1.0);
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

technique XBlur7Tech {
    pass P0 {
        vertex = ScreenVS;
        fragment = XBlur7PS;
    }
}

technique YBlur7Tech {
    pass P0 {
        vertex = ScreenVS;
        fragment = YBlur7PS;
    }
}
