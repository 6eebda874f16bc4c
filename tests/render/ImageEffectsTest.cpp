#include "RenderTestSupport.h"
#include "render/ImageEffects.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

using namespace tb;
using namespace tb::test;

namespace {

float entry(const ColorMatrix& m, int row, int col)
{
    return m[static_cast<std::size_t>(row * 5 + col)];
}

// The pass written out plainly in double precision: unpremultiply, multiply, clamp, premultiply.
QRgb referencePixel(QRgb p, const ColorMatrix& m)
{
    const double A = qAlpha(p);
    const double in[5] = {A > 0 ? qRed(p) / A : 0, A > 0 ? qGreen(p) / A : 0, A > 0 ? qBlue(p) / A : 0, A / 255, 1};
    double out[4];
    for (int col = 0; col < 4; ++col) {
        double s = 0;
        for (int row = 0; row < 5; ++row)
            s += in[row] * entry(m, row, col);
        out[col] = std::clamp(s, 0.0, 1.0) * (col < 3 ? 1.0 : 255.0);
    }
    auto byte = [](double v) { return int(std::lround(v)); };
    return qRgba(byte(out[0] * out[3]), byte(out[1] * out[3]), byte(out[2] * out[3]), byte(out[3]));
}

// Random valid premultiplied pixels, fully transparent and fully opaque ones among them.
QImage randomPremultiplied(int w, int h, std::mt19937& rng)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int a = x % 7 == 0 ? 0 : (x % 5 == 0 ? 255 : int(rng() % 256));
            auto channel = [&] { return int(rng() % (a + 1)); };
            const int r = channel(), g = channel(), b = channel();
            image.setPixel(x, y, qRgba(r, g, b, a));
        }
    }
    return image;
}

QImage filled(QRgb straight)
{
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromRgba(straight));
    return image;
}

} // namespace

TEST(ColorMatrix, Entries)
{
    // Neutral adjustment: the identity, except that blue carries -0.001 of red and of green.
    const ColorMatrix neutral = BuildColorMatrix(PicAdjust {0, 1, 1, 0, 1});
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col)
            EXPECT_NEAR(entry(neutral, row, col), (col == 2 && row < 2) ? -0.001 : (row == col ? 1 : 0), 1e-6) << row << col;

    const ColorMatrix m = BuildColorMatrix(PicAdjust {3.1415927F, 1, 1, 0.2F, 0.5F});
    EXPECT_NEAR(entry(m, 0, 0), -0.402, 1e-6);
    EXPECT_NEAR(entry(m, 1, 0), 1.174, 1e-6);
    for (int i : {0, 1, 2}) { // alpha never depends on colour, nor colour on alpha
        EXPECT_EQ(entry(m, i, 3), 0.0F) << i;
        EXPECT_EQ(entry(m, 3, i), 0.0F) << i;
    }
    EXPECT_EQ(entry(m, 4, 3), 0.0F);
    EXPECT_FLOAT_EQ(entry(m, 3, 3), 0.5F);
    EXPECT_FLOAT_EQ(entry(m, 4, 1), 0.2F);
}

TEST(ColorMatrix, SaturationZeroGivesTheWeightedGreyTimesIntensity)
{
    std::mt19937 rng(7);
    QImage image = randomPremultiplied(64, 8, rng);
    const QImage before = image;
    applyColorMatrix(image, BuildColorMatrix(PicAdjust {1.0F, 0, 0.8F, 0, 1}));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor in = before.pixelColor(x, y);
            if (in.alpha() < 128)
                continue; // straight colours of faint pixels are too coarse to compare
            const QColor out = image.pixelColor(x, y);
            EXPECT_NEAR(out.red(), (0.299 * in.red() + 0.587 * in.green() + 0.114 * in.blue()) * 0.8, 2.5);
            EXPECT_TRUE(out.red() == out.green() && out.green() == out.blue()) << x << "," << y;
            EXPECT_EQ(out.alpha(), in.alpha());
        }
    }
}

TEST(ColorMatrix, IntensityZeroLeavesTheBrightnessAndOpacityZeroLeavesNothing)
{
    QImage image = filled(qRgba(200, 30, 90, 200));
    applyColorMatrix(image, BuildColorMatrix(PicAdjust {0.3F, 1, 0, 0.25F, 1}));
    const QRgb p = image.pixel(1, 1); // premultiplied
    EXPECT_EQ(qAlpha(p), 200);
    EXPECT_NEAR(qRed(p), 0.25 * 200, 1);
    EXPECT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));

    image = filled(qRgba(200, 30, 90, 255));
    applyColorMatrix(image, BuildColorMatrix(PicAdjust {0, 1, 1, 0.3F, 0}));
    EXPECT_EQ(image.pixel(1, 1), 0u);
}

TEST(ColorMatrix, PixelPassMatchesAPlainReference)
{
    std::mt19937 rng(2024);
    std::uniform_real_distribution<float> coefficient(-1.5F, 1.5F);
    for (int round = 0; round < 6; ++round) {
        ColorMatrix m {};
        for (float& v : m)
            v = coefficient(rng);
        if (round == 0)
            m = BuildColorMatrix(PicAdjust {2.0F, 1.4F, 0.9F, -0.1F, 0.7F});
        // Widths that are no multiple of a vector length, so the loop tails are covered too.
        QImage image = randomPremultiplied(37 + round, 5, rng);
        const QImage before = image;
        applyColorMatrix(image, m);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb got = image.pixel(x, y), want = referencePixel(before.pixel(x, y), m);
                for (int shift : {0, 8, 16, 24})
                    ASSERT_LE(std::abs(int((got >> shift) & 255) - int((want >> shift) & 255)), 1) << x << "," << y;
            }
        }
    }
}

TEST(ColorMatrix, AbsurdMatricesStillGiveValidPixels)
{
    std::mt19937 rng(5);
    QImage image = randomPremultiplied(33, 3, rng);
    ColorMatrix m {};
    m.fill(1e30F);
    m[0] = std::nanf("");
    m[7] = -std::numeric_limits<float>::infinity();
    applyColorMatrix(image, m);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            EXPECT_LE(std::max({qRed(p), qGreen(p), qBlue(p)}), qAlpha(p)) << x << "," << y;
        }
    }
}

// ---- The stale-reading marker ----

namespace {

struct MarkCase {
    qint16 pos;
    char across; // where the disc belongs: 'l'eft, 'r'ight or 'c'entre
    char down; // 't'op or 'b'ottom
};

QImage markCanvas(float D, qint16 pos, int w = 160, int h = 100)
{
    QImage canvas(w, h, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter g(&canvas);
    DrawStaleMark(g, float(w), float(h), StaleMark {true, D, pos});
    return canvas;
}

} // namespace

class StaleMarkPositions : public ::testing::TestWithParam<MarkCase> { };

TEST_P(StaleMarkPositions, DiscBarAndPlace)
{
    const MarkCase c = GetParam();
    const float D = 30;
    const QImage canvas = markCanvas(D, c.pos);
    // Where the disc went, found from its pixels.
    const QRect disc = boundsOf(canvas, [](QColor px) { return px.alpha() > 128; });
    ASSERT_FALSE(disc.isNull());
    EXPECT_NEAR(disc.width(), D + StaleMarkRimWidth(D), 2);
    const QPoint centre = disc.center();
    const double across = c.across == 'l' ? 3 + D / 2 : (c.across == 'r' ? canvas.width() - 3 - D / 2 : canvas.width() / 2.0);
    EXPECT_NEAR(centre.x(), across, 1);
    EXPECT_NEAR(centre.y(), c.down == 't' ? 3 + D / 2 : canvas.height() - 3 - D / 2, 1);

    EXPECT_TRUE(mostlyWhite(colourAt(canvas, centre.x(), centre.y()))) << "the bar crosses the centre";
    EXPECT_TRUE(mostlyRed(colourAt(canvas, centre.x(), centre.y() - int(D / 4)))) << "red above the bar";
    EXPECT_TRUE(mostlyRed(colourAt(canvas, centre.x(), centre.y() + int(D / 4)))) << "red below the bar";
    EXPECT_TRUE(mostlyRed(colourAt(canvas, centre.x() - int(D / 3 + 2), centre.y()))) << "the bar stops short of the rim";
    EXPECT_TRUE(mostlyWhite(colourAt(canvas, centre.x(), disc.top() + 1))) << "white rim";
}

INSTANTIATE_TEST_SUITE_P(AllSix, StaleMarkPositions,
    ::testing::Values(MarkCase {0, 'l', 't'}, MarkCase {1, 'r', 'b'}, MarkCase {2, 'r', 't'}, MarkCase {3, 'l', 'b'},
        MarkCase {4, 'c', 't'}, MarkCase {5, 'c', 'b'}),
    [](const ::testing::TestParamInfo<MarkCase>& info) { return "Position" + std::to_string(info.param.pos); });

TEST(StaleMark, RimWidthFollowsTheDiameterSteps)
{
    // The sizes the menu offers, and both sides of the steps at 18 and 35.
    const float sizes[] = {14, 19, 23, 30, 35, 42, 17, 18, 34};
    const float rims[] = {2, 19 / 9.0F, 2.3F, 2.5F, 2.5F, 3, 17 / 7.0F, 2, 34 / 12.0F};
    for (std::size_t i = 0; i < std::size(sizes); ++i)
        EXPECT_FLOAT_EQ(StaleMarkRimWidth(sizes[i]), rims[i]) << sizes[i];
}

TEST(StaleMark, ANarrowCanvasCutsTheDiscAtTheLeft)
{
    const QImage canvas = markCanvas(42, 1, 30, 60); // right x = 30 - 42 - 3 < 0
    EXPECT_TRUE(mostlyRed(colourAt(canvas, 0, 60 - 3 - 42 + 8))) << "the disc reaches the left edge";
    EXPECT_EQ(colourAt(canvas, 29, 5).alpha(), 0) << "nothing above the disc";
}
