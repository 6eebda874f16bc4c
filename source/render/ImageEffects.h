#pragma once

#include "OverlayStyle.h"
#include "StaleMark.h"

#include <QImage>

#include <array>

class QPainter;

namespace tb {

// 5 x 5 colour matrix, row-major; rows and columns in the order red, green, blue, alpha,
// constant. A pixel (r, g, b, a, 1) on the 0 to 1 scale becomes that row vector times the matrix.
using ColorMatrix = std::array<float, 25>;

// The hue, saturation and intensity rotation in RGB space, plus brightness and opacity.
// Single-precision entries, computed exactly as the skins were always coloured.
ColorMatrix BuildColorMatrix(const PicAdjust& adjust);

// The matrix with ones on the diagonal: leaves every pixel as it is.
ColorMatrix identityColorMatrix();

// Recolours the image in place: each pixel is unpremultiplied, multiplied by the matrix,
// clamped to 0..1 and premultiplied again. An image in another format is converted to
// Format_ARGB32_Premultiplied first.
void applyColorMatrix(QImage& image, const ColorMatrix& matrix);

// The rim width of the stale-reading disc of diameter `diameter`.
float StaleMarkRimWidth(float diameter);

// Draws the stale-reading marker (a red disc with a white rim and a white bar) in the position
// `mark.nPos` on a canvas of W x H pixels.
void DrawStaleMark(QPainter& g, float W, float H, const StaleMark& mark);

} // namespace tb
