#include "render/TextGlyphs.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPathStroker>
#include <QStringList>
#include <QTextLayout>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tb {

namespace {

// Subpaths whose boxes come this close (device pixels) go into one piece, so that no pixel is
// touched by two pieces.
constexpr qreal kPieceGap = 1.0;
// Grouping is quadratic in the number of subpaths; a text with more stays in one piece.
constexpr int kMaxGroupedSubpaths = 256;
// Glyph outlines kept for one font and scale before they are all made again.
constexpr std::size_t kMaxKeptGlyphs = 512;

int root(std::vector<int>& parent, int i)
{
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}

} // namespace

// The path as polygons, one per subpath in its own direction, so winding fill gives the same
// area. The curves are flattened to within a fraction of a pixel of the size they are drawn at,
// and the text is never scaled after.
//
// The subpaths are then gathered into pieces: those whose boxes overlap or nearly touch share
// a piece, so the winding number anywhere is that of one piece alone and no pixel has ink from
// two pieces. Filling the pieces one after another covers exactly what filling the whole path
// covers, and it is much cheaper: Qt's antialiasing rasteriser starts with a small cell pool
// and renders a path again with a bigger pool whenever it overflows, which a whole stroked
// line of text does several times over, while one glyph fits. (A reading redrawn at 200 % with
// outline and shadow went from 0.82 to 0.51 ms.)
GlyphPieces GlyphPieces::of(const QPainterPath& path)
{
    return of(path.toSubpathPolygons());
}

GlyphPieces GlyphPieces::of(const QList<QPolygonF>& polygons)
{
    GlyphPieces out;
    const int n = static_cast<int>(polygons.size());
    std::vector<int> parent(polygons.size());
    std::vector<QRectF> boxes;
    for (int i = 0; i < n; ++i) {
        parent[i] = n <= kMaxGroupedSubpaths ? i : 0;
        boxes.push_back(polygons[i].boundingRect());
        out.bounds |= boxes.back();
        boxes.back().adjust(-kPieceGap, -kPieceGap, kPieceGap, kPieceGap);
    }
    for (int i = 0; i < n && n <= kMaxGroupedSubpaths; ++i)
        for (int j = i + 1; j < n; ++j)
            if (boxes[i].intersects(boxes[j]))
                parent[root(parent, i)] = root(parent, j);

    std::vector<int> pieceOf(parent.size(), -1);
    for (int i = 0; i < n; ++i) {
        int& piece = pieceOf[root(parent, i)];
        if (piece < 0) {
            piece = static_cast<int>(out.pieces.size());
            out.pieces.emplace_back().setFillRule(Qt::WindingFill);
        }
        out.pieces[piece].addPolygon(polygons[i]);
    }
    return out;
}

CoverageMask GlyphPieces::coverageAt(QPointF at, QSize canvas) const
{
    if (pieces.empty())
        return {};
    const QPointF whole(std::floor(at.x()), std::floor(at.y()));
    const QPointF phase = at - whole;
    const QPoint shift = whole.toPoint();
    const QRect visible = bounds.translated(phase).toAlignedRect() & QRect(-shift, canvas);
    if (visible.isEmpty())
        return {};
    for (const Rasterised& r : rasterised_)
        if (!r.coverage.isNull() && r.phase == phase && r.area.contains(visible))
            return {&r.coverage, shift + r.area.topLeft()};

    // The whole shape, so that the other pass finds it too; only what shows of a shape much
    // larger than the canvas.
    QRect area = bounds.translated(phase).toAlignedRect();
    if (static_cast<double>(area.width()) * area.height() > 4.0 * visible.width() * visible.height() + 65536.0)
        area = visible;
    Rasterised& r = rasterised_[nextSlot_];
    nextSlot_ = (nextSlot_ + 1) % static_cast<int>(rasterised_.size());
    r.phase = phase;
    r.area = area;
    // Filled opaque into premultiplied ARGB32, where the raster engine blends spans on this
    // thread (into Alpha8 it goes through its generic path, which hands spans to the thread
    // pool); the alpha channel is the coverage.
    QImage filled(area.size(), QImage::Format_ARGB32_Premultiplied);
    r.coverage = QImage(area.size(), QImage::Format_Alpha8);
    if (filled.isNull() || r.coverage.isNull())
        return {};
    filled.fill(0);
    QPainter g(&filled);
    g.setRenderHint(QPainter::Antialiasing, true);
    g.translate(phase - QPointF(area.topLeft()));
    for (const QPainterPath& piece : pieces)
        g.fillPath(piece, QColor(Qt::black));
    g.end();
    for (int y = 0; y < area.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(filled.constScanLine(y));
        uchar* to = r.coverage.scanLine(y);
        for (int x = 0; x < area.width(); ++x)
            to[x] = static_cast<uchar>(from[x] >> 24);
    }
    return {&r.coverage, shift + area.topLeft()};
}

void TextGlyphs::prepare(const QString& text, const GlyphFont& font, qreal deviceScale)
{
    if (valid_ && text == text_ && font == font_ && deviceScale == scale_)
        return;
    if (!valid_ || !(font == font_) || deviceScale != scale_ || glyphs_.size() > kMaxKeptGlyphs)
        glyphs_.clear();
    valid_ = true;
    text_ = text;
    font_ = font;
    scale_ = deviceScale;
    strokeWidth_ = -1;
    stroke_ = GlyphPieces();
    shape(text, font);
}

void TextGlyphs::shape(const QString& text, const GlyphFont& font)
{
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
    box_ = QSizeF(metrics.horizontalAdvance(text) * ratio, metrics.lineSpacing() * ratio);
    placed_.clear();
    deviceCurves_ = QPainterPath();
    // Underlines are lines of the text, not of a glyph: an underlined text is one outline.
    if (!font.underline && placeGlyphs(text, f, ratio, metrics.ascent())) {
        QList<QPolygonF> outline;
        ink_ = QRectF();
        for (const Placed& p : placed_) {
            for (const QPolygonF& polygon : p.glyph->outline)
                outline.push_back(polygon.translated(p.at));
            if (!p.glyph->ink.isNull())
                ink_ |= p.glyph->ink.translated(p.at / scale_);
        }
        path_ = GlyphPieces::of(outline);
        return;
    }
    placed_.clear();
    QPainterPath outline;
    outline.addText(0, metrics.ascent(), f, text);
    const QPainterPath curves = QTransform::fromScale(ratio, ratio).map(outline);
    ink_ = curves.isEmpty() ? QRectF() : curves.boundingRect();
    deviceCurves_ = QTransform::fromScale(scale_, scale_).map(curves);
    deviceCurves_.setFillRule(Qt::WindingFill);
    path_ = GlyphPieces::of(deviceCurves_);
}

// Lays the text out the way QPainterPath::addText does (design metrics, one line, the baseline
// at `ascent`) and finds each glyph's outline; false when a glyph has none to give.
bool TextGlyphs::placeGlyphs(const QString& text, const QFont& font, qreal ratio, qreal ascent)
{
    QTextLayout layout(text, font);
    QTextOption option = layout.textOption();
    option.setUseDesignMetrics(true);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return text.isEmpty();
    const qreal baseline = ascent - line.ascent();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    for (const QGlyphRun& run : runs) {
        const QRawFont face = run.rawFont();
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
            Glyph* g = glyph(face, indexes[i], ratio);
            if (!g)
                return false;
            const QPointF at(positions[i].x() * ratio * scale_, (positions[i].y() + baseline) * ratio * scale_);
            placed_.push_back({g, at});
        }
    }
    return true;
}

TextGlyphs::Glyph* TextGlyphs::glyph(const QRawFont& face, quint32 index, qreal ratio)
{
    const GlyphKey key {face.familyName(), face.styleName(), index};
    const auto it = glyphs_.find(key);
    if (it != glyphs_.end())
        return &it->second;
    const QPainterPath outline = face.pathForGlyph(index);
    if (outline.isEmpty() && !face.boundingRect(index).isEmpty())
        return nullptr; // a bitmap face: addText knows how to draw it
    Glyph& g = glyphs_[key];
    const QPainterPath logical = QTransform::fromScale(ratio, ratio).map(outline);
    g.ink = logical.isEmpty() ? QRectF() : logical.boundingRect();
    g.curves = QTransform::fromScale(scale_, scale_).map(logical);
    g.curves.setFillRule(Qt::WindingFill);
    g.outline = g.curves.toSubpathPolygons();
    return &g;
}

const GlyphPieces& TextGlyphs::stroke(float penWidth)
{
    if (penWidth != strokeWidth_) {
        strokeWidth_ = penWidth;
        // Stroked at device size: the stroker approximates the offset curves to within a
        // fraction of a unit of the path it is given.
        QPainterPathStroker stroker;
        stroker.setWidth(penWidth * scale_);
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setCapStyle(Qt::FlatCap);
        if (placed_.empty()) {
            stroke_ = GlyphPieces::of(stroker.createStroke(deviceCurves_));
        } else {
            // A stroke follows each subpath on its own, so the text's is its glyphs' together.
            QList<QPolygonF> polygons;
            for (const Placed& p : placed_) {
                Glyph& g = *p.glyph;
                if (g.strokeWidth != penWidth) {
                    g.strokeWidth = penWidth;
                    g.stroke = stroker.createStroke(g.curves).toSubpathPolygons();
                }
                for (const QPolygonF& polygon : g.stroke)
                    polygons.push_back(polygon.translated(p.at));
            }
            stroke_ = GlyphPieces::of(polygons);
        }
    }
    return stroke_;
}

} // namespace tb
