// The drawing's fast paths give exactly the pixels of the straightforward ones: the enlarging
// of the picture, the text blended through kept coverage masks, and redraws that only restore
// the picture where the last text and marker were.
#include "QtPrinters.h"
#include "platform/Clock.h"
#include "render/GdipLog.h"
#include "render/ImageEffects.h"
#include "render/OverlayRenderer.h"
#include "render/TextGlyphs.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QTemporaryDir>
#include <QTransform>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace tb;

namespace {

QImage randomPicture(int w, int h, std::mt19937& rng)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int a = static_cast<int>(rng() % 256);
            const auto c = [&] { return static_cast<int>(rng() % static_cast<unsigned>(a + 1)); };
            image.setPixel(x, y, qRgba(c(), c(), c(), a));
        }
    return image;
}

TEST(FastPaths, EnlargingGivesQtsSmoothScaling)
{
    std::mt19937 rng(7);
    const QSize sources[] = {{1, 1}, {2, 3}, {5, 1}, {17, 9}, {64, 31}};
    for (const QSize from : sources) {
        const QImage picture = randomPicture(from.width(), from.height(), rng);
        // Equal, one pixel more, odd and even factors, and one side kept.
        const QSize targets[] = {from, from + QSize(1, 1), from * 1.5, from * 2, from * 3, from * 3 + QSize(2, 5),
            QSize(from.width(), from.height() * 4 + 1), QSize(from.width() * 7 + 3, from.height())};
        for (const QSize to : targets) {
            const QImage want = picture.scaled(to, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            EXPECT_EQ(enlarged(picture, to), want.convertToFormat(QImage::Format_ARGB32_Premultiplied))
                << from.width() << "x" << from.height() << " to " << to.width() << "x" << to.height();
        }
    }
    const QImage picture = randomPicture(20, 10, rng);
    EXPECT_TRUE(enlarged(picture, QSize(19, 30)).isNull()) << "narrower is Qt's business";
    EXPECT_TRUE(enlarged(picture.convertToFormat(QImage::Format_ARGB32), QSize(40, 20)).isNull());
}

TEST(FastPaths, CoverageBlendGivesQPaintersFill)
{
    std::mt19937 rng(11);
    // A ring with a hole and a thin sliver, antialiased all round, on an odd-width canvas.
    QPainterPath shape;
    shape.setFillRule(Qt::WindingFill);
    shape.addEllipse(QPointF(20.3, 14.6), 15.2, 11.7);
    shape.addEllipse(QPointF(21.1, 13.9), 6.4, 5.1);
    shape.addRect(QRectF(3.25, 27.6, 31.1, 0.7));
    const QImage canvas = randomPicture(41, 33, rng);
    QImage filled(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    filled.fill(0);
    {
        QPainter g(&filled);
        g.setRenderHint(QPainter::Antialiasing);
        g.fillPath(shape, QColor(Qt::black));
    }
    // The mask lies one pixel right of and two below the canvas's corner.
    QImage coverage(canvas.width() - 1, canvas.height() - 2, QImage::Format_Alpha8);
    for (int y = 0; y < coverage.height(); ++y)
        for (int x = 0; x < coverage.width(); ++x)
            coverage.scanLine(y)[x] = static_cast<uchar>(qAlpha(filled.pixel(x + 1, y + 2)));

    for (const QRgb colour : {0xFFFFFF00u, 0xFF202020u, 0x80000000u, 0x01FFFFFFu, 0xFE3080C0u, 0x4D00FF00u}) {
        QImage want = canvas;
        {
            QPainter g(&want);
            g.setRenderHint(QPainter::Antialiasing);
            if (qAlpha(colour) == 255) {
                g.fillPath(shape, QColor::fromRgba(colour));
            } else { // the shape filled opaque into a layer, the layer drawn at the colour's alpha
                QImage layer(canvas.size(), QImage::Format_ARGB32_Premultiplied);
                layer.fill(0);
                QPainter l(&layer);
                l.setRenderHint(QPainter::Antialiasing);
                l.fillPath(shape, QColor::fromRgba(colour | 0xFF000000u));
                l.end();
                g.setOpacity(qAlpha(colour) / 255.0);
                g.drawImage(QPoint(0, 0), layer);
            }
        }
        QImage got = canvas;
        EXPECT_EQ(blendCoverage(got, coverage, QPoint(1, 2), colour), QRect(1, 2, 40, 31));
        EXPECT_EQ(got, want) << std::hex << colour;
    }
    QImage untouched = canvas;
    EXPECT_TRUE(blendCoverage(untouched, coverage, QPoint(1, 2), 0x00FFFFFFu).isNull());
    EXPECT_EQ(untouched, canvas);
}

TEST(FastPaths, MarkerMasksGiveThePaintedMarker)
{
    std::mt19937 rng(13);
    for (const qreal ratio : {1.0, 1.5, 2.0})
        for (const float size : {14.0F, 19.0F, 23.0F, 30.0F, 35.0F, 42.0F})
            for (qint16 pos = 0; pos < 6; ++pos) {
                const float W = 97, H = 61;
                const QImage canvas = randomPicture(static_cast<int>(W * ratio), static_cast<int>(H * ratio), rng);
                const StaleMark mark {true, size, pos};
                QImage want = canvas;
                {
                    QPainter g(&want);
                    g.setRenderHint(QPainter::Antialiasing);
                    g.scale(ratio, ratio);
                    DrawStaleMark(g, W, H, mark);
                }
                const StaleMarkLayers layers = StaleMarkCoverage(W, H, mark, ratio);
                ASSERT_FALSE(layers.area.isEmpty());
                QImage got = canvas;
                blendCoverage(got, layers.disc, layers.area.topLeft(), 0xFFFF0000u);
                blendCoverage(got, layers.rim, layers.area.topLeft(), 0xFFFFFFFFu);
                blendCoverage(got, layers.bar, layers.area.topLeft(), 0xFFFFFFFFu);
                EXPECT_EQ(got, want) << "size " << size << ", position " << pos << ", ratio " << ratio;
                EXPECT_TRUE(layers.area.contains(StaleMarkBounds(W, H, mark).toAlignedRect().topLeft() * ratio));
            }
    EXPECT_TRUE(StaleMarkCoverage(97, 61, StaleMark {true, 19, 6}, 1).area.isEmpty()) << "no seventh position";
    EXPECT_TRUE(StaleMarkCoverage(97, 61, StaleMark {true, 1e5F, 0}, 1).area.isEmpty()) << "too big for masks";
}

// The text's outline as QPainterPath::addText makes it, at the size and scale TextGlyphs uses
// (flattened and in pieces as GlyphPieces::of makes them, it is how the text was drawn before
// glyphs were kept).
QPainterPath wholeText(const QString& text, const GlyphFont& font, qreal scale)
{
    const int whole = std::max(1, static_cast<int>(std::lround(font.pixelSize)));
    QFont f;
    f.setFamilies({font.family});
    f.setPixelSize(whole);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    QPainterPath path;
    path.addText(0, QFontMetricsF(f).ascent(), f, text);
    const qreal ratio = font.pixelSize / whole;
    path = QTransform::fromScale(scale, scale).map(QTransform::fromScale(ratio, ratio).map(path));
    path.setFillRule(Qt::WindingFill);
    return path;
}

QImage filled(const std::vector<QPainterPath>& pieces, QPointF at)
{
    QImage image(420, 160, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);
    QPainter g(&image);
    g.setRenderHint(QPainter::Antialiasing);
    g.translate(at);
    for (const QPainterPath& piece : pieces)
        g.fillPath(piece, QColor(Qt::black));
    return image;
}

TEST(FastPaths, TextFromKeptGlyphsFillsWhatTheWholeTextFills)
{
    TextGlyphs glyphs;
    // A text in a fallback face, Cyrillic, a ligature; repeated glyphs come from the kept ones.
    for (const QString& text :
        {QStringLiteral("-12.5°"), QStringLiteral("+13.5°"), QStringLiteral("Ёлка 18,0 fi"), QStringLiteral("日本 -3°")})
        for (const qreal scale : {1.0, 1.5, 2.0})
            for (const bool italic : {false, true}) {
                const GlyphFont font {QStringLiteral("DejaVu Sans"), 37.3F, true, italic, false};
                glyphs.prepare(text, font, scale);
                const QPainterPath whole = wholeText(text, font, scale);
                const QPointF at(10.3, 7.6);
                const auto trace = text.toStdString() + " at " + std::to_string(scale) + (italic ? " italic" : "");
                EXPECT_EQ(filled(glyphs.path().pieces, at), filled(GlyphPieces::of(whole).pieces, at)) << trace;
                QPainterPathStroker stroker;
                stroker.setWidth(1.6667 * scale);
                stroker.setJoinStyle(Qt::RoundJoin);
                stroker.setCapStyle(Qt::FlatCap);
                EXPECT_EQ(
                    filled(glyphs.stroke(1.6667F).pieces, at), filled(GlyphPieces::of(stroker.createStroke(whole)).pieces, at))
                    << trace;
            }
}

// One drawing's inputs.
struct Step {
    QString file; // empty: the picture stays
    QString text;
    float scale = 150;
    bool mark = true;
    qint16 markPos = 1;
    float hue = 0.3F;
    qreal ratio = 1;
    bool hold = false; // the caller keeps the canvas, as the window does
};

TEST(FastPaths, RedrawsOnKeptCanvasesEqualFreshDrawings)
{
    QTemporaryDir dir;
    const QString skins[2] = {dir.filePath(QStringLiteral("a.png")), dir.filePath(QStringLiteral("b.png"))};
    std::mt19937 rng(3);
    ASSERT_TRUE(randomPicture(60, 30, rng).save(skins[0]));
    ASSERT_TRUE(randomPicture(50, 40, rng).save(skins[1]));
    const std::vector<Step> steps = {
        {skins[0], "-12.5°"},
        {{}, "+3.4°"},
        {{}, "+3.4°", 150, false},
        {{}, "-0.1°", 150, true, 4, 0.3F, 1, true},
        {{}, "+12°"},
        {{}, "+12°", 150, true, 0},
        {{}, "-7°", 200},
        {{}, "-7°", 200, true, 1, 1.2F},
        {{}, "-7°", 200, true, 1, 1.2F, 2},
        {{}, "+8°", 200, true, 2, 1.2F, 2, true},
        {{}, "+9°", 200, true, 2, 1.2F, 2},
        {skins[1], "+9°", 150, true, 3},
        {{}, "", 150, true, 3},
        {{}, "-30.5°", 150, true, 5, 0.3F, 1.5},
    };
    SystemClock clock;
    GdipLog log {clock};
    OverlayRenderer kept(log);
    OverlayStyle style;
    style.sFontName = QStringLiteral("DejaVu Sans");
    style.nFontSize = 21;
    style.fTextFill = true;
    style.nTextColor = 0xFFFF00;
    style.fOutline = true;
    style.nOutlineWidth = 2;
    style.fShadow = true;
    style.nShadowAlpha = 128;
    style.nShadowX = 2;
    style.nShadowY = -2;
    style.fScaleOn = true;
    QImage held; // the canvas the caller keeps
    QImage heldPixels; // and what it showed when it was handed out
    QString picture;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (!s.file.isEmpty())
            picture = s.file;
        style.sText = s.text;
        style.nScaleX = style.nScaleY = s.scale;
        const PicAdjust adjust {s.hue, 1.1F, 0.95F, 0.02F, 1};
        const StaleMark mark {s.mark, 19, s.markPos};
        const OverlayResult got = kept.RenderOverlay(s.file, style, adjust, mark, s.ratio);
        OverlayRenderer fresh(log);
        const OverlayResult want = fresh.RenderOverlay(picture, style, adjust, mark, s.ratio);
        ASSERT_TRUE(got.drawn && want.drawn) << "step " << i;
        EXPECT_EQ(got.canvas.devicePixelRatio(), s.ratio) << "step " << i;
        EXPECT_EQ(got.canvas, want.canvas) << "step " << i;
        EXPECT_EQ(held, heldPixels) << "step " << i << ": what the window holds is never drawn over";
        if (s.hold) {
            held = got.canvas;
            heldPixels = got.canvas.copy();
        }
    }
}

} // namespace
