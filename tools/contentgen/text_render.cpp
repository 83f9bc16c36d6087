// SDL2_ttf glyph rendering turned into our images, plus outline and glow by distance.
#include "text_render.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace {

const char* const kSansFonts[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                                  "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
                                  "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"};
const char* const kDisplayFonts[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSerif-BoldItalic.ttf",
                                     "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                                     "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"};

std::map<std::pair<int, int>, TTF_Font*> gFonts;

TTF_Font* OpenFont(FontFace face, int size) {
    auto key = std::make_pair(int(face), size);
    auto it = gFonts.find(key);
    if (it != gFonts.end()) return it->second;
    TTF_Font* font = nullptr;
    if (face == FontFace::Sans) {
        for (const char* p : kSansFonts)
            if (!font) font = TTF_OpenFont(p, size);
    } else {
        for (const char* p : kDisplayFonts)
            if (!font) font = TTF_OpenFont(p, size);
    }
    gFonts[key] = font;
    return font;
}

// Distance (in pixels, capped) from each pixel to the nearest pixel whose alpha exceeds 0.5.
std::vector<float> DistanceToInk(const Image& mask, int cap) {
    int w = mask.Width(), h = mask.Height();
    std::vector<float> dist(size_t(w) * h, float(cap));
    std::vector<std::pair<int, int>> ink;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (mask.At(x, y).a > 0.5f) ink.push_back({x, y});
    for (auto [ix, iy] : ink)
        for (int y = std::max(0, iy - cap); y <= std::min(h - 1, iy + cap); ++y)
            for (int x = std::max(0, ix - cap); x <= std::min(w - 1, ix + cap); ++x) {
                float d = std::hypot(float(x - ix), float(y - iy));
                float& slot = dist[size_t(y) * w + x];
                if (d < slot) slot = d;
            }
    return dist;
}

} // namespace

bool TextInit() {
    if (TTF_Init() != 0) {
        std::fprintf(stderr, "contentgen: SDL_ttf: %s\n", TTF_GetError());
        return false;
    }
    if (!OpenFont(FontFace::Sans, 32) || !OpenFont(FontFace::Display, 32)) {
        std::fprintf(stderr, "contentgen: no font found (install fonts-dejavu-core or fonts-ipafont-gothic)\n");
        return false;
    }
    return true;
}

void TextQuit() {
    for (auto& [key, font] : gFonts)
        if (font) TTF_CloseFont(font);
    gFonts.clear();
    TTF_Quit();
}

Image TextMask(const std::string& utf8, int pixelSize, FontFace face, int pad) {
    TTF_Font* font = OpenFont(face, pixelSize);
    SDL_Surface* s = font ? TTF_RenderUTF8_Blended(font, utf8.c_str(), SDL_Color{255, 255, 255, 255}) : nullptr;
    if (!s) return Image(1, 1);
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(s);
    int x0 = argb->w, y0 = argb->h, x1 = -1, y1 = -1;
    auto alphaAt = [&](int x, int y) {
        const uint32_t* row =
            reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
        return (row[x] >> 24) / 255.0f;
    };
    for (int y = 0; y < argb->h; ++y)
        for (int x = 0; x < argb->w; ++x)
            if (alphaAt(x, y) > 0) {
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < 0) {
        SDL_FreeSurface(argb);
        return Image(1, 1);
    }
    Image img(x1 - x0 + 1 + 2 * pad, y1 - y0 + 1 + 2 * pad);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) img.At(x - x0 + pad, y - y0 + pad) = {1, 1, 1, alphaAt(x, y)};
    SDL_FreeSurface(argb);
    return img;
}

void DrawLettering(Image& dst, const std::string& utf8, int pixelSize, FontFace face, float cx, float cy,
                   const LetterStyle& style) {
    int pad = int(std::ceil(std::max(style.outlineWidth, style.glowRadius))) + 2;
    Image mask = TextMask(utf8, pixelSize, face, pad);
    std::vector<float> dist = DistanceToInk(mask, pad);
    int ox = int(std::lround(cx - mask.Width() * 0.5f)), oy = int(std::lround(cy - mask.Height() * 0.5f));
    float inkTop = float(pad), inkBottom = float(mask.Height() - pad);
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x) {
            float d = dist[size_t(y) * mask.Width() + x];
            float cover = mask.At(x, y).a;
            if (style.glowRadius > 0 && d < style.glowRadius) {
                float g = 1 - d / style.glowRadius;
                dst.Blend(ox + x, oy + y, style.glow, g * g);
            }
            if (style.outlineWidth > 0) {
                float o = std::clamp(style.outlineWidth - d + 0.5f, 0.0f, 1.0f);
                o = std::max(o, cover);
                if (o > 0) dst.Blend(ox + x, oy + y, style.outline, o);
            }
            if (cover > 0) {
                float t = std::clamp((y - inkTop) / std::max(1.0f, inkBottom - inkTop), 0.0f, 1.0f);
                dst.Blend(ox + x, oy + y, Mix(style.top, style.bottom, t), cover);
            }
        }
}
