#pragma once

#include <QString>

#include <cstdint>

namespace tb {

// How the temperature text over the skin picture looks. Colours are 0xRRGGBB.
struct OverlayStyle {
    bool fTextFill = false;
    QString sText;
    std::int32_t nTextColor = 0xFFFF;
    float nTextX = 0; // picture pixels to the right of the centred position, scaled
    float nTextY = 0; // picture pixels upward, scaled
    bool fScaleOn = true;
    float nScaleX = 100; // percent
    float nScaleY = 100;
    bool fOutline = false;
    bool fFillOver = false; // fill after (over) the outline
    std::int32_t nOutlineColor = 0;
    float nOutlineWidth = 0; // always a whole number
    bool fShadow = false;
    std::int32_t nShadowColor = 0;
    float nShadowX = 0; // pixels to the right, not scaled
    float nShadowY = 0; // pixels upward, not scaled
    std::uint8_t nShadowAlpha = 0;
    QString sFontName;
    float nFontSize = 0; // pixels, not scaled
    bool fBold = false;
    bool fItalic = false;
    bool fUnderline = false;
    std::uint8_t nTrans = 0; // window transparency: drawn with constant alpha 255 - nTrans
};

// The five colour adjustments of the skin picture.
struct PicAdjust {
    float nHue = 0;        // radians
    float nSaturation = 0; // factor
    float nIntensity = 0;  // factor
    float nBrightness = 0; // added to red, green and blue on the 0 to 1 scale
    float nOpacity = 0;    // factor of the picture's alpha
};

// Sets the bold, italic and underline flags from the bits 1, 2 and 4.
void FontStyleChange(OverlayStyle& style, int newStyle);

} // namespace tb
