#include "FileBytes.h"
#include "QtPrinters.h"
#include "RenderTestSupport.h"
#include "platform/fakes/FakeClock.h"
#include "render/FontLookup.h"
#include "render/OverlayRenderer.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tb;
using namespace tb::test;

namespace {

constexpr std::int32_t kRed = 0xFF0000;
constexpr std::int32_t kGreen = 0x00FF00;
constexpr std::int32_t kBlack = 0x000000;

QImage solid(int w, int h, QColor c)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(c);
    return image;
}

class Drawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        style.sFontName = QStringLiteral("DejaVu Sans");
        style.nFontSize = 24;
        style.fTextFill = true;
        style.nTextColor = kRed;
        style.sText = QStringLiteral("88");
        style.fScaleOn = true;
        style.nScaleX = 100;
        style.nScaleY = 100;
    }

    QString writePicture(const QString& name, const QImage& image)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    QString writeBytes(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    // A blue opaque picture of the given size, drawn with the current style.
    OverlayResult drawOnBlue(int w, int h)
    {
        return renderer.RenderOverlay(writePicture(QStringLiteral("blue.png"), solid(w, h, Qt::blue)), style, adjust, mark);
    }
    OverlayResult redraw() { return renderer.RenderOverlay(QString(), style, adjust, mark); }

    static QRect textBounds(const OverlayResult& r) { return boundsOf(r.canvas, mostlyRed); }
    // A bold "I": its stem is a wide rectangle with straight edges, outlined in green.
    void bigOutlinedI(float nominalWidth)
    {
        style.sText = QStringLiteral("I");
        style.fBold = true;
        style.nFontSize = 90;
        style.fOutline = true;
        style.nOutlineWidth = nominalWidth;
        style.nOutlineColor = kGreen;
    }

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

// ---- Size and layout ----

TEST_F(Drawing, CanvasFollowsTheScaleOnlyWhenScalingIsOn)
{
    style.nScaleX = 150;
    style.nScaleY = 100;
    style.nTrans = 55;
    OverlayResult r = drawOnBlue(100, 40);
    ASSERT_TRUE(r.drawn);
    EXPECT_EQ(r.canvas.size(), QSize(150, 40));
    EXPECT_EQ(r.canvas.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(r.constantAlpha, 200);
    EXPECT_TRUE(mostlyBlue(colourAt(r.canvas, 149, 39))) << "the picture fills the scaled canvas";

    style.fScaleOn = false;
    style.nScaleY = 250;
    r = redraw();
    ASSERT_TRUE(r.drawn);
    EXPECT_EQ(r.canvas.size(), QSize(100, 40));
    EXPECT_TRUE(errors.lines.empty());
}

TEST_F(Drawing, TextIsCentredAtItsOwnSizeAndOffsetsFollowTheScale)
{
    style.nScaleX = 150;
    style.nScaleY = 100;
    const OverlayResult centred = drawOnBlue(100, 40);
    const QRect at0 = textBounds(centred);
    ASSERT_FALSE(at0.isNull());
    EXPECT_NEAR(at0.center().x(), 75, 2.5);
    EXPECT_NEAR(at0.center().y(), 20, 3);

    style.nTextX = 10;
    const QRect moved = textBounds(redraw());
    EXPECT_EQ(moved.translated(-15, 0), at0) << "10 picture pixels at 150 % are 15 canvas pixels";

    style.nTextX = 0;
    style.nScaleY = 200;
    style.nTextY = 4; // upward, scaled
    const OverlayResult tall = redraw();
    ASSERT_EQ(tall.canvas.size(), QSize(150, 80));
    const QRect up = textBounds(tall);
    EXPECT_EQ(up.size(), at0.size()) << "the font size does not follow the scale";
    EXPECT_EQ(up.top(), at0.top() + 20 - 8);
}

TEST_F(Drawing, ShadowOffsetIsNotScaledAndTheTextStaysPut)
{
    style.nScaleX = 200;
    style.nScaleY = 150;
    const QRect plain = textBounds(drawOnBlue(100, 40));
    ASSERT_FALSE(plain.isNull());

    for (const QPoint offset : {QPoint(0, 0), QPoint(4, 0), QPoint(0, -3), QPoint(-5, 6)}) {
        style.nShadowX = float(offset.x());
        style.nShadowY = float(offset.y());
        style.nShadowColor = kGreen;
        style.nShadowAlpha = 255;

        style.fShadow = true;
        EXPECT_EQ(textBounds(redraw()), plain) << "the text ends where it belongs with the shadow on";
        style.fShadow = false;
        EXPECT_EQ(textBounds(redraw()), plain) << "and with it off";

        // The shadow alone: no fill in the text pass.
        style.fShadow = true;
        style.fTextFill = false;
        const QRect shadow = boundsOf(redraw().canvas, mostlyGreen);
        EXPECT_EQ(shadow, plain.translated(offset.x(), -offset.y())) << offset.x() << "," << offset.y();
        style.fTextFill = true;
    }
}

// ---- The passes ----

TEST_F(Drawing, OutlineFillAndTheirOrder)
{
    bigOutlinedI(6);
    style.fTextFill = false;
    OverlayResult r = drawOnBlue(120, 120);
    const QRect outline = boundsOf(r.canvas, mostlyGreen);
    ASSERT_GT(outline.width(), 8);
    const QPoint middle = outline.center();
    EXPECT_TRUE(mostlyBlue(colourAt(r.canvas, middle.x(), middle.y()))) << "without fill the interior shows the picture";
    EXPECT_EQ(countOf(r.canvas, mostlyRed), 0);

    // With fill, the outline goes over the fill, or under it with fFillOver: then the fill
    // covers the inner half of the outline and the red run through the middle is wider.
    auto redRunThroughTheMiddle = [&](const OverlayResult& drawn) {
        int run = 0;
        for (int x = outline.left(); x <= outline.right(); ++x)
            run += mostlyRed(colourAt(drawn.canvas, x, middle.y())) ? 1 : 0;
        return run;
    };
    style.fTextFill = true;
    r = redraw();
    EXPECT_TRUE(mostlyRed(colourAt(r.canvas, middle.x(), middle.y())));
    const int under = redRunThroughTheMiddle(r);
    style.fFillOver = true;
    EXPECT_GE(redRunThroughTheMiddle(redraw()), under + 2);
}

TEST_F(Drawing, PenWidthFollowsTheNominalOutlineWidth)
{
    // Across the straight left edge of the stem, the outline band is exactly as wide as the
    // pen: the outline colour's coverage summed along one row gives the pen width.
    style.fTextFill = false;
    struct Case {
        float nominal;
        bool fillOver;
        double pen;
    };
    for (const Case c : {Case {3, false, 2.0}, Case {3, true, 3.987}, Case {1, false, 1.3333}, Case {1, true, 1.989}}) {
        bigOutlinedI(c.nominal);
        style.fFillOver = c.fillOver;
        const OverlayResult r = drawOnBlue(120, 120);
        const QRect glyph = boundsOf(r.canvas, [](QColor px) { return px.green() > 30; });
        const int row = glyph.center().y();
        double coverage = 0;
        for (int x = glyph.left(); x <= glyph.center().x(); ++x)
            coverage += colourAt(r.canvas, x, row).green() / 255.0;
        EXPECT_NEAR(coverage, c.pen, 0.12) << c.nominal << (c.fillOver ? " fill over" : "");
    }
}

TEST_F(Drawing, StyleBitsReachTheGlyphs)
{
    style.nFontSize = 30;
    const QRect regular = textBounds(drawOnBlue(160, 60));
    style.fBold = true;
    const QRect bold = textBounds(redraw());
    EXPECT_GT(bold.width(), regular.width());
    style.fBold = false;
    style.fUnderline = true;
    const QRect underlined = textBounds(redraw());
    EXPECT_GT(underlined.bottom(), regular.bottom() + 1) << "the underline runs below the digits";
    style.fUnderline = false;
    style.fItalic = true;
    const OverlayResult italic = redraw();
    EXPECT_NE(textBounds(italic), regular);
}

TEST_F(Drawing, ItalicIsSlantedInEveryPathWhateverFacesTheFamilyHas)
{
    // A face of its own ("DejaVu Sans Oblique"), one that Qt slants itself (a family with no
    // italic face), and the metric stand-in for Arial. Italic switched on in a running drawing
    // (the command channel's "f=2") must give what a fresh drawing gives (a snapshot, the editor).
    style.sText = QStringLiteral("l");
    style.nFontSize = 80;
    for (const char* family : {"DejaVu Sans", "DejaVu Math TeX Gyre", "Liberation Sans"}) {
        style.sFontName = QString::fromLatin1(family);
        style.fItalic = false;
        drawOnBlue(120, 110);
        style.fItalic = true;
        const OverlayResult live = redraw();
        OverlayRenderer fresh(log);
        const OverlayResult snapshot = fresh.RenderOverlay(dir.filePath(QStringLiteral("blue.png")), style, adjust, mark);
        EXPECT_EQ(live.canvas, snapshot.canvas) << family;
        // The stem of an "l" leans right: its left edge lies further right at the top than at the foot.
        const QRect ink = textBounds(live);
        ASSERT_FALSE(ink.isNull()) << family;
        auto leftEdge = [&](int y) {
            for (int x = ink.left(); x <= ink.right(); ++x)
                if (mostlyRed(live.canvas.pixelColor(x, y)))
                    return x;
            return -1;
        };
        const int top = leftEdge(ink.top() + ink.height() / 8);
        const int foot = leftEdge(ink.bottom() - ink.height() / 8);
        EXPECT_GE(top - foot, 5) << family << ": the italic stem does not lean (" << top << " at the top, " << foot << " at the foot)";
    }
}

TEST_F(Drawing, ShadowAppearsOnlyWhenSwitchedOnAndCarriesItsAlpha)
{
    QImage clear(120, 60, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const QString path = writePicture(QStringLiteral("clear.png"), clear);
    style.nShadowColor = kBlack;
    style.nShadowAlpha = 128;
    style.nShadowX = 40; // far enough that the shadow does not touch the text
    style.fShadow = false;
    auto black = [](QColor c) { return c.alpha() > 0 && c.red() < 30 && c.green() < 30 && c.blue() < 30; };
    auto shadowPixels = [&](const OverlayResult& r) { return countOf(r.canvas, black); };
    OverlayResult r = renderer.RenderOverlay(path, style, adjust, mark);
    ASSERT_TRUE(r.drawn);
    EXPECT_EQ(shadowPixels(r), 0);

    style.fShadow = true;
    r = redraw();
    ASSERT_GT(shadowPixels(r), 20);
    int strongest = 0;
    for (int y = 0; y < r.canvas.height(); ++y)
        for (int x = 0; x < r.canvas.width(); ++x)
            if (black(colourAt(r.canvas, x, y)))
                strongest = std::max(strongest, colourAt(r.canvas, x, y).alpha());
    EXPECT_NEAR(strongest, 128, 1) << "half-transparent, never more";
}

TEST_F(Drawing, EmptyTextLeavesThePicture)
{
    QImage picture(50, 30, QImage::Format_ARGB32);
    picture.fill(QColor(20, 200, 90));
    {
        QPainter g(&picture);
        g.setCompositionMode(QPainter::CompositionMode_Source);
        g.fillRect(0, 0, 10, 30, Qt::transparent);
    }
    style.sText.clear();
    const OverlayResult r = renderer.RenderOverlay(writePicture(QStringLiteral("p.png"), picture), style, adjust, mark);
    ASSERT_TRUE(r.drawn);
    const QImage want = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            ASSERT_LE(std::abs(qBlue(r.canvas.pixel(x, y)) - qBlue(want.pixel(x, y))), 1) << x << "," << y;
    EXPECT_EQ(r.canvas.pixel(3, 3), 0u) << "transparent parts stay transparent";
    EXPECT_EQ(r.canvas.pixelColor(30, 15).rgb(), QColor(20, 200, 90).rgb());
}

TEST_F(Drawing, OpacityZeroHidesThePictureButNotTheTextOrTheMarker)
{
    adjust.nOpacity = 0;
    mark = StaleMark {true, 14, 0};
    const OverlayResult r = drawOnBlue(100, 40);
    ASSERT_TRUE(r.drawn);
    EXPECT_GT(countOf(r.canvas, mostlyRed), 20);
    EXPECT_EQ(countOf(r.canvas, mostlyBlue), 0);
    EXPECT_TRUE(mostlyWhite(colourAt(r.canvas, 3 + 7, 3 + 7))) << "the marker's bar";
    EXPECT_EQ(r.canvas.pixel(99, 39), 0u);
}

TEST_F(Drawing, AdjustmentAndTextChangesBetweenRedrawsShowUp)
{
    OverlayResult r = drawOnBlue(100, 40);
    const QRect first = textBounds(r);
    const QImage firstCanvas = r.canvas;
    style.sText = QStringLiteral("1");
    r = redraw();
    EXPECT_LT(textBounds(r).width(), first.width()) << "the old text is gone";
    adjust.nHue = 3.1415927F; // blue turns yellowish
    r = redraw();
    EXPECT_FALSE(mostlyBlue(colourAt(r.canvas, 2, 2)));
    adjust.nHue = 1.5F; // from one recoloured picture to another: decoded again from the bytes
    r = redraw();
    EXPECT_FALSE(mostlyBlue(colourAt(r.canvas, 2, 2)));
    adjust.nHue = 0;
    r = redraw();
    EXPECT_EQ(r.canvas.pixel(2, 2), firstCanvas.pixel(2, 2)) << "the picture exactly as first drawn";
}

// ---- The picture bytes ----

TEST_F(Drawing, RedrawWithoutAPathReusesTheBytesOfADeletedFile)
{
    const QString path = writePicture(QStringLiteral("gone.png"), solid(60, 30, Qt::blue));
    ASSERT_TRUE(renderer.RenderOverlay(path, style, adjust, mark).drawn);
    ASSERT_TRUE(QFile::remove(path));
    const OverlayResult r = redraw();
    ASSERT_TRUE(r.drawn);
    EXPECT_TRUE(mostlyBlue(colourAt(r.canvas, 1, 1)));
    EXPECT_TRUE(errors.lines.empty());

    // The same path with new content is read again.
    writePicture(QStringLiteral("gone.png"), solid(60, 30, Qt::green));
    EXPECT_TRUE(mostlyGreen(colourAt(renderer.RenderOverlay(path, style, adjust, mark).canvas, 1, 1)));
}

TEST_F(Drawing, PicturesAreReadByTheirContentInEveryFormatSkinsUse)
{
    auto encoded = [](const char* format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(solid(2, 2, Qt::blue).save(&buffer, format)) << format;
        return bytes;
    };
    // Qt writes no GIF: a 1x1 one by hand, its one colour blue.
    const QByteArray gif = QByteArray::fromHex("474946383961010001008000000000ff0000002c00000000010001000002024401003b");
    const std::pair<const char*, QByteArray> pictures[] = {
        {"png", encoded("png")}, {"bmp", encoded("bmp")}, {"jpeg", encoded("jpeg")}, {"ico", encoded("ico")}, {"gif", gif},
    };
    for (const auto& [format, bytes] : pictures) {
        // The file name says nothing: the content alone tells the format.
        errors.lines.clear();
        const OverlayResult r = renderer.RenderOverlay(writeBytes(QStringLiteral("picture-%1.txt").arg(QLatin1String(format)), bytes),
                                                       style, adjust, mark);
        ASSERT_TRUE(r.drawn) << format;
        EXPECT_TRUE(mostlyBlue(colourAt(r.canvas, 0, 0))) << format;
        EXPECT_TRUE(errors.lines.empty()) << format;
    }
}

TEST_F(Drawing, BadPicturesAreLoggedOnceAndNotDrawn)
{
    EXPECT_TRUE(redraw().drawn) << "no picture read yet: the text is drawn alone";
    EXPECT_TRUE(errors.lines.empty());

    const QByteArray good = [&] {
        QImage noise(200, 100, QImage::Format_ARGB32);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                noise.setPixel(x, y, qRgba((x * 37) & 255, (y * 91 + x) & 255, (x * y) & 255, 255));
        QFile f(writePicture(QStringLiteral("noise.png"), noise));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    struct Bad {
        const char* name;
        QByteArray bytes;
        const char* status;
    };
    const Bad cases[] = {
        {"truncated.png", good.left(good.size() / 2), nullptr},
        {"empty.png", QByteArray(), "(ErrReturn=2)"},
        {"text.png", QByteArray("this is not a picture at all\n"), "(ErrReturn=13)"},
        {"huge.png", pngHeaderClaiming(30000, 30000), "(ErrReturn=3)"},
        {"fake.bmp", QByteArray("BM but not a bitmap"), "(ErrReturn=13)"},
    };
    for (const Bad& bad : cases) {
        errors.lines.clear();
        const OverlayResult r = renderer.RenderOverlay(writeBytes(QString::fromLatin1(bad.name), bad.bytes), style, adjust, mark);
        EXPECT_FALSE(r.drawn) << bad.name;
        EXPECT_TRUE(r.canvas.isNull()) << bad.name;
        ASSERT_EQ(errors.lines.size(), 1u) << bad.name;
        EXPECT_TRUE(errors.lines[0].contains(QStringLiteral("Error=00-010"))) << bad.name;
        if (bad.status) {
            EXPECT_TRUE(errors.lines[0].contains(QLatin1String(bad.status))) << errors.lines[0].toStdString();
        }
    }
    // The refused picture is still the current one: a redraw reports it again.
    errors.lines.clear();
    EXPECT_FALSE(redraw().drawn);
    EXPECT_EQ(errors.lines.size(), 1u);

    // A missing file leaves the bytes of the last one in place.
    ASSERT_TRUE(drawOnBlue(40, 20).drawn);
    errors.lines.clear();
    EXPECT_FALSE(renderer.RenderOverlay(dir.filePath(QStringLiteral("missing.png")), style, adjust, mark).drawn);
    ASSERT_EQ(errors.lines.size(), 1u);
    EXPECT_TRUE(errors.lines[0].contains(QStringLiteral("(ErrReturn=10)")));
    EXPECT_TRUE(redraw().drawn);
}

TEST_F(Drawing, FilesThatNeverEndOrNeverOpenAreRefusedAtOnce)
{
    const QString fifo = dir.filePath(QStringLiteral("fifo.png"));
    ASSERT_TRUE(::test::makeFifo(fifo));
    const QString toZero = dir.filePath(QStringLiteral("zero.png"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), toZero));
    ASSERT_TRUE(drawOnBlue(40, 20).drawn);
    for (const QString& file : {QStringLiteral("/dev/zero"), QStringLiteral("/dev/urandom"), fifo, toZero, dir.path()}) {
        errors.lines.clear();
        EXPECT_FALSE(renderer.RenderOverlay(file, style, adjust, mark).drawn) << file.toStdString();
        ASSERT_EQ(errors.lines.size(), 1u) << file.toStdString();
        EXPECT_TRUE(errors.lines[0].contains(QStringLiteral("(ErrReturn=12)"))) << errors.lines[0].toStdString();
    }
    EXPECT_TRUE(redraw().drawn) << "the last picture read stays";
}

TEST_F(Drawing, ScalesWithoutPixelsOrBeyondTheLimitAreRefused)
{
    for (const float scale : {0.0F, -50.0F, std::nanf(""), 1e7F}) {
        errors.lines.clear();
        style.nScaleX = scale;
        EXPECT_FALSE(drawOnBlue(100, 40).drawn) << scale;
        ASSERT_EQ(errors.lines.size(), 1u) << scale;
        EXPECT_TRUE(errors.lines[0].contains(QStringLiteral("Error=00-012"))) << scale;
    }
}

// ---- Fonts ----

TEST(FontLookup, InstalledFamiliesAndMetricCompatibleStandIns)
{
    EXPECT_EQ(findInstalledFamily(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(findInstalledFamily(QStringLiteral("dejavu sans")), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(findInstalledFamily(QStringLiteral("Arial")), QStringLiteral("Liberation Sans"));
    EXPECT_TRUE(findInstalledFamily(QStringLiteral("No Such Font 123")).isEmpty());
    EXPECT_TRUE(findInstalledFamily(QString()).isEmpty());
    EXPECT_TRUE(findInstalledFamily(QStringLiteral("DejaVu Sans,Arial")).isEmpty()) << "a list is not a family";
}

TEST_F(Drawing, AMissingFamilyIsReplacedByArialOnce)
{
    style.sFontName = QStringLiteral("No Such Font 123");
    OverlayResult r = drawOnBlue(100, 40);
    ASSERT_TRUE(r.drawn);
    EXPECT_TRUE(r.fontReplaced);
    EXPECT_EQ(style.sFontName, QStringLiteral("Arial"));
    ASSERT_EQ(errors.lines.size(), 1u);
    EXPECT_EQ(errors.lines[0], QStringLiteral("7.12.2026 9:05:03 ==> Error=00-014 (ErrReturn=14)\r\n"));
    EXPECT_GT(countOf(r.canvas, mostlyRed), 20) << "the text is drawn in Arial";

    r = redraw();
    EXPECT_FALSE(r.fontReplaced);
    EXPECT_EQ(errors.lines.size(), 1u);
    EXPECT_EQ(log.GdipStage(), 18) << "the drawing went through all stages";
}

TEST_F(Drawing, OddFontNamesAndSizesNeverStopThePicture)
{
    style.sFontName = QString(300, QLatin1Char('x'));
    OverlayResult r = drawOnBlue(100, 40);
    EXPECT_TRUE(r.drawn);
    EXPECT_TRUE(r.fontReplaced);

    style.sFontName = QStringLiteral("  Deja Vu , Sans ; \"x\"  ");
    r = redraw();
    EXPECT_TRUE(r.drawn);

    for (const float size : {0.0F, -12.0F, 1e9F, std::nanf("")}) {
        errors.lines.clear();
        style.sFontName = QStringLiteral("DejaVu Sans");
        style.nFontSize = size;
        r = redraw();
        ASSERT_TRUE(r.drawn) << size;
        EXPECT_EQ(countOf(r.canvas, mostlyRed), 0) << size;
        ASSERT_EQ(errors.lines.size(), 1u) << size;
        EXPECT_TRUE(errors.lines[0].contains(QStringLiteral("Error=00-015 (ErrReturn=2)"))) << size;
    }
}

TEST_F(Drawing, FractionalFontSizesScaleTheText)
{
    style.sText = QStringLiteral("888");
    style.nFontSize = 20;
    const QRect small = textBounds(drawOnBlue(160, 60));
    style.nFontSize = 30.5F;
    const QRect large = textBounds(redraw());
    EXPECT_NEAR(double(large.width()) / small.width(), 30.5 / 20, 0.08);
}
