// RankDisplay: a person's place, as a numeral and a suffix from two glyph strips.
#pragma once

#include <cstdint>

#include "platform/math/d3dx_math.h"
#include "simplelib/texture.h"

class RankDisplay {
public:
    void Init();
    // The racing place at the top centre of the screen as it is now (a view's, on a shared screen).
    void PlaceOnScreen();
    // One update of the result screen's fade-in.
    void StepResultFade();
    void DrawRacing();
    void DrawResult();
    void Release();

    // Glyph source rectangles of a place: the numeral in number.png and the suffix row in rank.png.
    static RECT NumeralRect(std::int32_t place);
    static RECT SuffixRect(std::int32_t place);

    std::int32_t place = 1; // the place shown, as the race counts it
    std::int32_t alpha = 0;
    D3DXMATRIX translation = MatrixIdentity();
    D3DXMATRIX scaling = MatrixIdentity();
    D3DXMATRIX world = MatrixIdentity();
    SimpleLib::CTexture digits;
    SimpleLib::CTexture suffixes;

private:
    void DrawPlace(const D3DXMATRIX& numeralTransform, const D3DXMATRIX& suffixTransform, D3DCOLOR colour);
};
