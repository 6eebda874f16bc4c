#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QPolygonF>
#include <QRawFont>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <array>
#include <map>
#include <tuple>
#include <vector>

namespace tb {

// The font the text is drawn in: an installed family, a size in pixels (fractions allowed)
// and the style bits.
struct GlyphFont {
    QString family;
    float pixelSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    friend bool operator==(const GlyphFont&, const GlyphFont&) = default;
};

// How much of each device pixel a shape covers, 0 to 255, as the antialiasing rasteriser
// computes it: `coverage` (Format_Alpha8) lies on the canvas with its top-left at `origin`.
struct CoverageMask {
    const QImage* coverage = nullptr; // null when nothing of the shape is on the canvas
    QPoint origin;
};

// A filled outline cut into pieces that share no pixel: filling the pieces one after another
// covers exactly what filling the whole outline with the winding rule covers, in less time.
struct GlyphPieces {
    std::vector<QPainterPath> pieces; // flattened, winding fill, device pixels
    QRectF bounds; // of all pieces together

    // The outline of `path`, flattened and cut into pieces.
    static GlyphPieces of(const QPainterPath& path);
    // The same for an outline already flattened: one polygon a subpath.
    static GlyphPieces of(const QList<QPolygonF>& polygons);
    bool isEmpty() const { return pieces.empty(); }

    // The pieces' coverage when drawn at `at` (device pixels) on a canvas of `canvas`. The
    // coverage depends only on where `at` falls within a pixel, so the shadow and the text
    // (whole pixels apart) share one rasterisation; the last two are kept.
    CoverageMask coverageAt(QPointF at, QSize canvas) const;

private:
    struct Rasterised {
        QPointF phase; // `at` less its whole pixels
        QRect area; // of the mask, whole pixels relative to `at`'s whole pixels
        QImage coverage;
    };
    mutable std::array<Rasterised, 2> rasterised_;
    mutable int nextSlot_ = 0;
};

// The glyph outlines of one text, measured the way a typographic string format measures it:
// the box is the advance width of the text by the line spacing of the font, and the outline
// sits in that box with its top-left corner at (0, 0) and the baseline at the font's ascent.
// Centring this box (rather than the ink) keeps the position the skins' text offsets were
// tuned against, and it does not jump when a digit with a different ink height appears.
//
// Sizes and positions are in logical pixels. The outlines themselves are handed out in device
// pixels (logical times the device scale), flattened at that resolution, so text on a
// high-density screen is as smooth as the screen allows rather than a magnified low-density one.
//
// Each glyph's outline and its stroke are kept flattened to polygons, for the font and scale
// in use, and a text is put together from its glyphs' polygons moved into place, so drawing a
// new reading costs neither curve flattening nor stroking (which is most of the cost of filling
// a stroked outline) for glyphs drawn before; the moved polygons are those of the whole text's
// outline to the last bits of a double. The pieces of the last text and pen width are kept too.
class TextGlyphs {
public:
    // Makes the outline for `text` in `font` at `deviceScale` device pixels a logical pixel,
    // unless it is the one already made.
    void prepare(const QString& text, const GlyphFont& font, qreal deviceScale = 1);

    // Winding-filled outline of the prepared text in device pixels; empty for an empty text.
    const GlyphPieces& path() const { return path_; }
    // Advance width by line spacing, in logical pixels.
    QSizeF box() const { return box_; }
    // Where the glyphs have ink, in logical pixels relative to the box; null for no ink.
    QRectF ink() const { return ink_; }
    // The area a pen of `penWidth` logical pixels with round joins covers along the outline,
    // in device pixels.
    const GlyphPieces& stroke(float penWidth);

private:
    // One glyph of one face at the font's size and the device scale, at the origin.
    struct Glyph {
        QRectF ink; // logical pixels
        QPainterPath curves; // device pixels, for the stroker
        QList<QPolygonF> outline; // the curves flattened
        float strokeWidth = -1; // logical pixels
        QList<QPolygonF> stroke; // flattened
    };
    // A glyph of the text and where it goes, in device pixels.
    struct Placed {
        Glyph* glyph;
        QPointF at;
    };
    using GlyphKey = std::tuple<QString, QString, quint32>; // family, style, glyph index

    void shape(const QString& text, const GlyphFont& font);
    bool placeGlyphs(const QString& text, const QFont& font, qreal ratio, qreal ascent);
    Glyph* glyph(const QRawFont& face, quint32 index, qreal ratio);

    bool valid_ = false;
    QString text_;
    GlyphFont font_;
    qreal scale_ = 0; // device pixels a logical pixel of the outlines below
    QSizeF box_;
    QRectF ink_;
    std::map<GlyphKey, Glyph> glyphs_; // for font_ and scale_
    std::vector<Placed> placed_; // the text's glyphs; empty when drawn as one outline
    QPainterPath deviceCurves_; // the whole outline at device size, when not drawn from glyphs
    GlyphPieces path_; // the outline flattened and in pieces
    float strokeWidth_ = -1;
    GlyphPieces stroke_;
};

} // namespace tb
