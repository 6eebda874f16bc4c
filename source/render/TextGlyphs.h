#pragma once

#include <QPainterPath>
#include <QSizeF>
#include <QString>

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

// The glyph outlines of one text, measured the way a typographic string format measures it:
// the box is the advance width of the text by the line spacing of the font, and the outline
// sits in that box with its top-left corner at (0, 0) and the baseline at the font's ascent.
// Centring this box (rather than the ink) keeps the position the skins' text offsets were
// tuned against, and it does not jump when a digit with a different ink height appears.
//
// The outline of the last text and font, and its stroke for the last pen width, are kept
// already flattened to polygons, so redrawing the same text costs neither shaping nor curve
// flattening (which is most of the cost of filling a stroked outline).
class TextGlyphs {
public:
    // Makes the outline for `text` in `font`, unless it is the one already made.
    void prepare(const QString& text, const GlyphFont& font);

    // Winding-filled outline of the prepared text; empty for an empty text.
    const QPainterPath& path() const { return path_; }
    // Advance width by line spacing, in pixels.
    QSizeF box() const { return box_; }
    // The area a pen of `penWidth` pixels with round joins covers along the outline.
    const QPainterPath& stroke(float penWidth);

private:
    bool valid_ = false;
    QString text_;
    GlyphFont font_;
    QPainterPath curves_; // the outline as shaped, for the stroker
    QPainterPath path_; // the same, flattened
    QSizeF box_;
    float strokeWidth_ = -1;
    QPainterPath stroke_;
};

} // namespace tb
