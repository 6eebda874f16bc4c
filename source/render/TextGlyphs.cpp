#include "TextGlyphs.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPathStroker>
#include <QStringList>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace tb {

namespace {

// The path as polygons, one per subpath in its own direction, so winding fill gives the same
// area. The flattening tolerance is a fraction of a pixel, and the text is never scaled after.
QPainterPath flattened(const QPainterPath& path)
{
    QPainterPath out;
    out.setFillRule(Qt::WindingFill);
    for (const QPolygonF& polygon : path.toSubpathPolygons())
        out.addPolygon(polygon);
    return out;
}

} // namespace

void TextGlyphs::prepare(const QString& text, const GlyphFont& font)
{
    if (valid_ && text == text_ && font == font_)
        return;
    valid_ = true;
    text_ = text;
    font_ = font;
    strokeWidth_ = -1;
    stroke_ = QPainterPath();

    // QFont takes whole pixel sizes only. Outlines come from the unhinted design shapes, so
    // the text is laid out at the nearest whole size and then scaled to the exact one.
    const int whole = std::max(1, static_cast<int>(std::lround(font.pixelSize)));
    const qreal ratio = font.pixelSize / whole;
    QFont f;
    f.setFamilies(QStringList {font.family}); // setFamilies: a name with commas stays one name
    f.setPixelSize(whole);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setKerning(false); // text is measured as the sum of advances
    f.setHintingPreference(QFont::PreferNoHinting);

    const QFontMetricsF metrics(f);
    QPainterPath outline;
    outline.addText(0, metrics.ascent(), f, text);
    curves_ = QTransform::fromScale(ratio, ratio).map(outline);
    curves_.setFillRule(Qt::WindingFill);
    path_ = flattened(curves_);
    box_ = QSizeF(metrics.horizontalAdvance(text) * ratio, metrics.lineSpacing() * ratio);
}

const QPainterPath& TextGlyphs::stroke(float penWidth)
{
    if (penWidth != strokeWidth_) {
        strokeWidth_ = penWidth;
        QPainterPathStroker stroker;
        stroker.setWidth(penWidth);
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setCapStyle(Qt::FlatCap);
        stroke_ = flattened(stroker.createStroke(curves_));
    }
    return stroke_;
}

} // namespace tb
