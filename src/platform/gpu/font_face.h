// One font face at one pixel size through SDL_ttf, with a deterministic stand-in when no font opens.
//
// The face the game asks for ("ＭＳ Ｐゴシック") does not exist here; IPA P Gothic stands in for it,
// then DejaVu Sans. SDL_ttf needs no display, so the Null device measures with real metrics too.
// Without any font file text still measures: half the height per ASCII character, the full height
// per other character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

typedef struct _TTF_Font TTF_Font;

namespace gpu {

// Decodes one UTF-8 code point at *pos (advancing it); invalid bytes decode as U+FFFD.
char32_t NextCodePoint(std::string_view text, std::size_t* pos);

// Shared by both backends: the text a DrawTextA call means (count -1 = up to the NUL).
std::string_view FontText(const char* text, int count);

class FontFace {
public:
    explicit FontFace(int height);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    bool IsReal() const { return font_ != nullptr; }
    const std::string& FilePath() const { return path_; }
    int LineHeight() const { return lineHeight_; }
    int Ascent() const { return ascent_; }

    int Advance(char32_t cp);
    // Width of the widest line and total height of UTF-8 text (lines split at '\n').
    void Measure(std::string_view text, int* width, int* height);

    struct GlyphImage {
        int width = 0, height = 0;
        int left = 0, top = 0;             // offset of the image from the pen position at the line's top
        std::vector<std::uint32_t> pixels; // 0xAARRGGBB, white with coverage in alpha
    };
    // Renders one glyph; false for blanks and when no real font is open.
    bool Render(char32_t cp, GlyphImage* out);

private:
    TTF_Font* font_ = nullptr;
    std::string path_;
    int height_;
    int lineHeight_;
    int ascent_;
    int asciiAdvance_[128];
};

} // namespace gpu
