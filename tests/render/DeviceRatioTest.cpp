#include "LogCapture.h"
#include "QtPrinters.h"
#include "RenderTestSupport.h"
#include "platform/fakes/FakeClock.h"
#include "render/OverlayRenderer.h"
#include "render/TextGlyphs.h"

#include <QFile>
#include <QLoggingCategory>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace tb;
using namespace tb::test;

namespace {

// Premultiplied ARGB32 of any image, device pixels as they are.
QImage premultiplied(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(1);
    return out;
}

// Every pixel made a `factor` x `factor` block: what a screen shows of a low-density drawing.
QImage magnified(const QImage& image, int factor)
{
    const QImage src = premultiplied(image);
    QImage out(src.size() * factor, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, src.pixel(x / factor, y / factor));
    return out;
}

// Each 2 x 2 block averaged into one pixel.
QImage halved(const QImage& image)
{
    const QImage src = premultiplied(image);
    QImage out(src.width() / 2, src.height() / 2, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            int sum[4] = {};
            for (int d = 0; d < 4; ++d) {
                const QRgb p = src.pixel(2 * x + d % 2, 2 * y + d / 2);
                sum[0] += qAlpha(p), sum[1] += qRed(p), sum[2] += qGreen(p), sum[3] += qBlue(p);
            }
            out.setPixel(x, y, qRgba((sum[1] + 2) / 4, (sum[2] + 2) / 4, (sum[3] + 2) / 4, (sum[0] + 2) / 4));
        }
    return out;
}

// Where neighbouring pixels differ, how often that is inside an aligned 2 x 2 block rather
// than between two blocks: 0 for a drawing magnified twice (its steps are two pixels long),
// about 1 when the edges step from one device pixel to the next.
double stepsInsideBlocks(const QImage& image)
{
    const QImage img = premultiplied(image);
    int inside = 0;
    int between = 0;
    for (int y = 0; y + 1 < img.height(); ++y)
        for (int x = 0; x + 1 < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (p != img.pixel(x + 1, y))
                ++(x % 2 == 0 ? inside : between);
            if (p != img.pixel(x, y + 1))
                ++(y % 2 == 0 ? inside : between);
        }
    return between == 0 ? 0.0 : double(inside) / between;
}

struct Difference {
    double mean = 0; // per channel, 0 to 255
    double within = 0; // share of pixels whose every channel is within the tolerance
};
Difference compare(const QImage& a, const QImage& b, int tolerance)
{
    const QImage pa = premultiplied(a);
    const QImage pb = premultiplied(b);
    double total = 0;
    int close = 0;
    for (int y = 0; y < pa.height(); ++y)
        for (int x = 0; x < pa.width(); ++x) {
            const QRgb p = pa.pixel(x, y);
            const QRgb q = pb.pixel(x, y);
            const int d[4] = {std::abs(qAlpha(p) - qAlpha(q)), std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                std::abs(qBlue(p) - qBlue(q))};
            total += d[0] + d[1] + d[2] + d[3];
            close += *std::max_element(d, d + 4) <= tolerance;
        }
    const double pixels = double(pa.width()) * pa.height();
    return {total / (4 * pixels), close / pixels};
}

// The drawing's log with its info messages on.
class RenderLogCapture {
public:
    RenderLogCapture() { QLoggingCategory::setFilterRules(QStringLiteral("thermobadge.render.info=true")); }
    ~RenderLogCapture() { QLoggingCategory::setFilterRules(QString()); }
    LogCapture log {"thermobadge.render"};
};

class DeviceRatio : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        style.sFontName = QStringLiteral("DejaVu Sans");
        style.nFontSize = 40;
        style.fBold = true;
        style.sText = QStringLiteral("-8°");
        style.fTextFill = true;
        style.nTextColor = 0xFF0000;
        style.fOutline = true;
        style.nOutlineWidth = 2;
        style.nOutlineColor = 0x00FF00;
        style.fScaleOn = true;
        style.nScaleX = 100;
        style.nScaleY = 100;
    }
    QString bluePicture(int w, int h)
    {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(QColor(30, 60, 220));
        const QString path = dir.filePath(QStringLiteral("blue.png"));
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    OverlayResult draw(const QString& file, qreal ratio) { return renderer.RenderOverlay(file, style, adjust, mark, ratio); }

    FakeClock clock {DateTime::of(2026, 12, 7, 9, 5, 3)};
    RecordingErrorList errors;
    GdipLog log {clock, &errors};
    OverlayRenderer renderer {log};
    QTemporaryDir dir;
    OverlayStyle style;
    PicAdjust adjust {0, 1, 1, 0, 1};
    StaleMark mark;
};

} // namespace

TEST_F(DeviceRatio, EdgesAreDrawnInDevicePixelsAtTheSameLogicalGeometry)
{
    // Everything given in logical pixels at once: scaled picture, text offsets, a translucent
    // shadow, the outline pen and the marker.
    style.nScaleX = 150;
    style.nTextX = 6;
    style.nTextY = -3;
    style.fShadow = true;
    style.nShadowColor = 0;
    style.nShadowAlpha = 128;
    style.nShadowX = 3;
    style.nShadowY = -2;
    mark = StaleMark {true, 19, 1};
    const OverlayResult low = draw(bluePicture(81, 50), 1);
    const OverlayResult high = draw(QString(), 2);
    ASSERT_TRUE(low.drawn && high.drawn);
    EXPECT_EQ(low.canvas.size(), QSize(122, 50)); // 121.5 to the nearest even
    EXPECT_EQ(low.canvas.devicePixelRatio(), 1);
    EXPECT_EQ(high.canvas.size(), QSize(244, 100));
    EXPECT_EQ(high.canvas.devicePixelRatio(), 2);
    EXPECT_EQ(high.canvas.deviceIndependentSize(), QSizeF(122, 50));

    // Sharp: along the edges the ratio-2 drawing changes from one device pixel to the next,
    // where the ratio-1 drawing on the same screen changes in 2 x 2 steps.
    EXPECT_EQ(stepsInsideBlocks(magnified(low.canvas, 2)), 0.0) << "the measure sees a magnified drawing";
    EXPECT_GT(stepsInsideBlocks(high.canvas), 0.8);

    // In the same place: averaged back to logical pixels, the ratio-2 drawing is the ratio-1
    // drawing up to the antialiasing of its edges.
    const Difference d = compare(halved(high.canvas), low.canvas, 48);
    EXPECT_LT(d.mean, 2.0);
    EXPECT_GT(d.within, 0.98);
    EXPECT_TRUE(errors.lines.empty());
}

TEST_F(DeviceRatio, DeviceSizeRoundsToTheLogicalSizeAndOddRatiosFallBackToOne)
{
    const QString file = bluePicture(101, 41);
    style.nScaleX = 150; // 151.5: the window is 152 logical pixels wide at every ratio
    struct Case {
        qreal asked;
        qreal used;
        QSize device;
    };
    const Case cases[] = {
        {1.0, 1.0, {152, 41}},
        {1.25, 1.25, {190, 51}}, // 51.25
        {1.5, 1.5, {228, 62}}, // 61.5 rounds up
        {2.0, 2.0, {304, 82}},
        {3.0, 3.0, {456, 123}},
        {0.0, 1.0, {152, 41}},
        {-2.0, 1.0, {152, 41}},
        {std::nan(""), 1.0, {152, 41}},
        {INFINITY, 1.0, {152, 41}},
        {1000.0, 1.0, {152, 41}},
    };
    for (const Case& c : cases) {
        const OverlayResult r = draw(file, c.asked);
        ASSERT_TRUE(r.drawn) << c.asked;
        EXPECT_EQ(r.canvas.size(), c.device) << c.asked;
        EXPECT_EQ(r.canvas.devicePixelRatio(), c.used) << c.asked;
        EXPECT_EQ(r.canvas.deviceIndependentSize().toSize(), QSize(152, 41)) << c.asked;
    }
    EXPECT_TRUE(errors.lines.empty());
}

TEST_F(DeviceRatio, WithoutAnyPictureTheTextIsDrawnAloneOnATransparentCanvas)
{
    RenderLogCapture logged;
    auto opaqueText = [](QColor c) { return c.alpha() > 200; };

    // Fill only: the canvas is the typographic box of the text.
    style.fOutline = false;
    const OverlayResult plain = draw(QString(), 1);
    ASSERT_TRUE(plain.drawn);
    const QSize size = plain.canvas.size();
    EXPECT_GT(size.width(), 50);
    EXPECT_GT(size.height(), 40);
    EXPECT_LT(size.height(), 60) << "one line of 40 px text";
    const QRect ink = boundsOf(plain.canvas, opaqueText);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GT(countOf(plain.canvas, mostlyRed), 200);
    EXPECT_NEAR(ink.center().x(), size.width() / 2.0, 4) << "centred";
    EXPECT_EQ(plain.canvas.pixel(0, 0), 0u);
    EXPECT_EQ(plain.canvas.pixel(size.width() - 1, size.height() - 1), 0u) << "the background is transparent";

    // The outline and the shadow widen it by exactly what they reach past the text; the scale
    // widens it as it would a picture, with the text at its own size in the middle.
    style.fOutline = true;
    style.nOutlineWidth = 3; // a pen of 2 reaches 1 pixel past the ink
    style.fShadow = true;
    style.nShadowAlpha = 255;
    style.nShadowColor = 0x0000FF;
    style.nShadowX = 9;
    style.nShadowY = -5;
    const OverlayResult decorated = draw(QString(), 1);
    EXPECT_NEAR(decorated.canvas.width(), size.width() + 9, 2);
    EXPECT_NEAR(decorated.canvas.height(), size.height() + 5, 2);
    EXPECT_GT(countOf(decorated.canvas, mostlyBlue), 100) << "the shadow is inside";
    EXPECT_GT(countOf(decorated.canvas, mostlyGreen), 100);

    // Sharp at ratio 2: the partly covered pixels are those the edges pass through, twice as
    // many as at ratio 1 for edges twice as long in device pixels (a drawing magnified twice
    // would have four times as many, a smoothly scaled one more still).
    auto partial = [](QColor c) { return c.alpha() > 0 && c.alpha() < 255; };
    const int partialAt1 = countOf(decorated.canvas, partial);
    const OverlayResult sharp = draw(QString(), 2);
    EXPECT_EQ(sharp.canvas.size(), decorated.canvas.size() * 2);
    EXPECT_NEAR(double(countOf(sharp.canvas, partial)) / partialAt1, 2.0, 0.4);
    EXPECT_EQ(countOf(magnified(decorated.canvas, 2), partial), 4 * partialAt1) << "the measure sees a magnified drawing";

    style.nScaleX = 200;
    const OverlayResult scaled = draw(QString(), 2);
    EXPECT_EQ(scaled.canvas.size(), QSize(decorated.canvas.width() * 4, decorated.canvas.height() * 2));
    EXPECT_EQ(scaled.canvas.devicePixelRatio(), 2);
    EXPECT_NEAR(boundsOf(scaled.canvas, mostlyRed).width(), 2 * boundsOf(decorated.canvas, mostlyRed).width(), 3)
        << "the text keeps its size";

    EXPECT_TRUE(errors.lines.empty()) << "nothing goes to the error list";
    ASSERT_EQ(logged.log.texts().size(), 1) << "said once";
    EXPECT_EQ(logged.log.texts()[0], QStringLiteral("no skin picture: drawing the text alone"));

    // Once a picture was read, an empty name reuses it; an empty picture file is an error.
    EXPECT_EQ(draw(bluePicture(40, 30), 1).canvas.size(), QSize(80, 30));
    EXPECT_EQ(draw(QString(), 1).canvas.size(), QSize(80, 30));
    OverlayRenderer fresh(log);
    const QString empty = dir.filePath(QStringLiteral("empty.png"));
    ASSERT_TRUE(QFile(empty).open(QIODevice::WriteOnly));
    EXPECT_FALSE(fresh.RenderOverlay(empty, style, adjust, mark).drawn);
    EXPECT_EQ(errors.lines.size(), 1u);
}

TEST(GlyphPieces, FillExactlyWhatTheWholeOutlineFills)
{
    // Glyphs with holes ("8", "0", "°"), glyphs close enough for their outlines to touch, and
    // an italic run whose glyphs lean into each other.
    int split = 0;
    for (const QString& text : {QStringLiteral("-18.0°"), QStringLiteral("+3,4°C")})
        for (const qreal ratio : {1.0, 1.5, 2.0})
            for (const bool italic : {false, true}) {
                TextGlyphs glyphs;
                glyphs.prepare(text, GlyphFont {QStringLiteral("DejaVu Sans"), 37.3F, true, italic, false}, ratio);
                for (const float pen : {0.0F, 1.6667F, 6.0F}) {
                    const GlyphPieces& shape = pen > 0 ? glyphs.stroke(pen) : glyphs.path();
                    split += shape.pieces.size() > 1 ? 1 : 0;
                    QPainterPath whole;
                    whole.setFillRule(Qt::WindingFill);
                    for (const QPainterPath& piece : shape.pieces)
                        whole.addPath(piece);
                    QImage inPieces(QSize(260, 70) * ratio, QImage::Format_ARGB32_Premultiplied);
                    inPieces.fill(Qt::transparent);
                    QImage atOnce = inPieces;
                    QPainter a(&inPieces);
                    QPainter b(&atOnce);
                    for (QPainter* g : {&a, &b}) {
                        g->setRenderHint(QPainter::Antialiasing);
                        g->translate(10.3, 7.6);
                    }
                    for (const QPainterPath& piece : shape.pieces)
                        a.fillPath(piece, Qt::black);
                    b.fillPath(whole, Qt::black);
                    a.end();
                    b.end();
                    EXPECT_EQ(inPieces, atOnce)
                        << text.toStdString() << " at " << ratio << (italic ? " italic" : "") << ", pen " << pen;
                    EXPECT_EQ(shape.bounds, whole.boundingRect());
                }
            }
    EXPECT_GE(split, 18) << "most outlines come apart into pieces";
}
