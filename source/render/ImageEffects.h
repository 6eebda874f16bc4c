#pragma once

#include "render/OverlayStyle.h"
#include "render/StaleMark.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

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

// Paints a colour of straight alpha through a coverage mask (Format_Alpha8, one byte a pixel,
// 0 to 255) whose top-left lies at `origin` on the canvas (Format_ARGB32_Premultiplied), with
// the arithmetic of Qt's raster engine: an opaque colour gives the pixels of filling the covered
// shape with QPainter; a translucent one those of filling it opaque into a layer and drawing the
// layer at the colour's alpha as painter opacity. Returns the canvas area it may have changed.
QRect blendCoverage(QImage& canvas, const QImage& coverage, QPoint origin, QRgb colour);

// The picture enlarged to `size` exactly as QImage::scaled(size, Qt::IgnoreAspectRatio,
// Qt::SmoothTransformation) enlarges it (bilinear between pixel centres, 8-bit weights,
// truncated), the same pixels in a fraction of the time. Null unless `size` is at least the
// picture's size both ways and the picture is premultiplied ARGB32: other scalings go to Qt.
QImage enlarged(const QImage& picture, QSize size);

// The rim width of the stale-reading disc of diameter `diameter`.
float StaleMarkRimWidth(float diameter);

// Draws the stale-reading marker (a red disc with a white rim and a white bar) in the position
// `mark.nPos` on a canvas of W x H pixels.
void DrawStaleMark(QPainter& g, float W, float H, const StaleMark& mark);

// Where DrawStaleMark draws: the disc and its rim; null for a position it does not draw at.
QRectF StaleMarkBounds(float W, float H, const StaleMark& mark);

// The stale-reading marker's disc, rim and bar as coverage masks (Format_Alpha8) over `area`, in
// device pixels of a canvas with `ratio` device pixels a logical pixel: blended in that order in
// red, white and white (blendCoverage), they give the pixels DrawStaleMark paints through a
// painter scaled by `ratio`. An empty area when the marker is not drawn, lies out of reach or
// is too big for masks (over 4 megapixels).
struct StaleMarkLayers {
    QRect area;
    QImage disc;
    QImage rim;
    QImage bar;
};
StaleMarkLayers StaleMarkCoverage(float W, float H, const StaleMark& mark, qreal ratio);

} // namespace tb
