#pragma once

// What a peer renderer is told to draw: the same overlay our renderer draws, as plain values a
// Cairo or Magick++ program would hold. Lengths are in logical pixels; the canvas has `ratio`
// device pixels a logical pixel.
#include <array>
#include <cstdint>
#include <string>

namespace tb::peers {

struct PeerLook {
    std::string fontFamily = "Arial"; // resolved through fontconfig
    bool bold = false;
    double fontPixels = 40;
    std::uint32_t fillColour = 0; // 0xRRGGBB, opaque
    std::uint32_t outlineColour = 0; // 0xRRGGBB, opaque
    std::uint32_t shadowColour = 0; // 0xRRGGBB
    int shadowAlpha = 255;
    double penWidth = 1; // the outline's, round joins
    double shadowRight = 0; // the shadow's offset from the text
    double shadowDown = 0;
    double scaleX = 1; // the picture's scale
    double scaleY = 1;
    // 5 x 5, row-major, a straight (r, g, b, a, 1) row vector times the matrix; applied to the
    // picture at its own size, before it is scaled
    std::array<float, 25> matrix {};
    double markSize = 0; // the stale marker's diameter; 0 for none
    int markPos = 0; // 0 to 5: top left, bottom right, top right, bottom left, centre top, centre bottom
    double markRim = 1;
    double ratio = 1;
};

// A canvas as a window would be handed it: premultiplied ARGB32, `stride` pixels a row.
struct PeerCanvas {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Where the marker's disc goes on a W x H canvas: its top-left corner.
inline std::array<double, 2> markCorner(const PeerLook& look, double W, double H)
{
    const double D = look.markSize;
    const double xs[3] = {3, W - D - 3, (W - D) / 2};
    const double ys[2] = {3, H - D - 3};
    const int col[6] = {0, 1, 1, 0, 2, 2};
    const int row[6] = {0, 1, 0, 1, 0, 1};
    const int p = look.markPos >= 0 && look.markPos <= 5 ? look.markPos : 0;
    return {xs[col[p]], ys[row[p]]};
}

// The file of the installed face fontconfig picks for the family and weight ("" when none).
std::string fontFileFor(const std::string& family, bool bold);

} // namespace tb::peers
