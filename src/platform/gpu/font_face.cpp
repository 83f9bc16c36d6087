// SDL_ttf font faces: opening the stand-in face, measuring and rendering glyphs.
#include "platform/gpu/font_face.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstring>

namespace gpu {
namespace {

constexpr const char* kFontFiles[] = {
    "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
    "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};

} // namespace

char32_t NextCodePoint(std::string_view text, std::size_t* pos) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    std::size_t i = *pos;
    unsigned char c = byte(i);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) {
        *pos = i + 1;
        return extra == 0 ? c : U'\uFFFD';
    }
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char cc = byte(i + k);
        if ((cc & 0xC0) != 0x80) {
            *pos = i + 1;
            return U'\uFFFD';
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    *pos = i + 1 + extra;
    return cp;
}

FontFace::FontFace(int height) : height_(std::clamp(height < 0 ? -height : height, 1, 256)) {
    lineHeight_ = height_;
    ascent_ = height_ * 4 / 5;
    if (TTF_WasInit() || TTF_Init() == 0) {
        for (const char* file : kFontFiles) {
            font_ = TTF_OpenFont(file, height_);
            if (font_) {
                path_ = file;
                break;
            }
        }
    }
    if (font_) {
        TTF_SetFontHinting(font_, TTF_HINTING_LIGHT);
        lineHeight_ = std::max(TTF_FontHeight(font_), 1);
        ascent_ = TTF_FontAscent(font_);
    }
    for (int c = 0; c < 128; ++c) asciiAdvance_[c] = -1;
}

FontFace::~FontFace() {
    if (font_ && TTF_WasInit()) TTF_CloseFont(font_);
}

int FontFace::Advance(char32_t cp) {
    if (cp < 128 && asciiAdvance_[cp] >= 0) return asciiAdvance_[cp];
    int advance = cp < 128 ? height_ / 2 : height_;
    if (font_ && cp <= 0x10FFFF) {
        int minX, maxX, minY, maxY, adv;
        if (TTF_GlyphMetrics32(font_, static_cast<Uint32>(cp), &minX, &maxX, &minY, &maxY, &adv) == 0) advance = adv;
    }
    if (cp < 128) asciiAdvance_[cp] = advance;
    return advance;
}

void FontFace::Measure(std::string_view text, int* width, int* height) {
    int lineWidth = 0, widest = 0, lines = text.empty() ? 0 : 1;
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t cp = NextCodePoint(text, &pos);
        if (cp == U'\n') {
            widest = std::max(widest, lineWidth);
            lineWidth = 0;
            ++lines;
            continue;
        }
        if (cp == U'\r') continue;
        lineWidth += Advance(cp);
    }
    *width = std::max(widest, lineWidth);
    *height = lines * lineHeight_;
}

bool FontFace::Render(char32_t cp, GlyphImage* out) {
    if (!font_ || cp > 0x10FFFF || cp == U' ') return false;
    int minX, maxX, minY, maxY, adv;
    if (TTF_GlyphMetrics32(font_, static_cast<Uint32>(cp), &minX, &maxX, &minY, &maxY, &adv) != 0) return false;
    SDL_Color white{255, 255, 255, 255};
    SDL_Surface* rendered = TTF_RenderGlyph32_Blended(font_, static_cast<Uint32>(cp), white);
    if (!rendered) return false;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(rendered);
    if (!argb) return false;
    // The rendered surface spans the whole line height with the pen at x = 0.
    out->width = argb->w;
    out->height = argb->h;
    out->left = 0;
    out->top = 0;
    out->pixels.resize(std::size_t(argb->w) * argb->h);
    SDL_LockSurface(argb);
    for (int y = 0; y < argb->h; ++y)
        std::memcpy(&out->pixels[std::size_t(y) * argb->w],
                    static_cast<const std::uint8_t*>(argb->pixels) + y * argb->pitch, std::size_t(argb->w) * 4);
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    return out->width > 0 && out->height > 0;
}

std::string_view FontText(const char* text, int count) {
    if (!text) return {};
    if (count < 0) return std::string_view(text);
    return std::string_view(text, strnlen(text, static_cast<std::size_t>(count)));
}

} // namespace gpu
