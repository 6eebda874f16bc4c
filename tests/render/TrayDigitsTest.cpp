#include "LogCapture.h"
#include "QtPrinters.h"
#include "render/TrayDigits.h"

#include <QPixmap>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using namespace tb;
using tb::test::LogCapture;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr QRgb kOpaqueRed = 0xFFFF0000;
constexpr QRgb kOpaqueBlue = 0xFF0000FF;

std::set<QRgb> coloursOf(const QImage& image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

QRect boundsOfColour(const QImage& image, QRgb colour)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                r |= QRect(x, y, 1, 1);
    return r;
}

QImage pictureOf(const QIcon& icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(TrayDigits, IconTexts)
{
    struct Case {
        double t;
        bool bold;
        const char* text;
    };
    const Case cases[] = {
        {-0.4, false, " 0°"},
        {0, false, " 0°"},
        {0.5, false, " 1°"},
        {5, true, " 5°"},
        {12.4, false, "12°"},
        {12.5, false, "13°"},
        {12.5, true, "13"},
        {-12.5, true, "13"},
        {9.5, true, "10"},
        {-9.5, false, "10°"},
        {105, false, "105°"},
        {-105, false, "105°"},
        {105, true, "105"},
        {-0.0, false, " 0°"},
        {kNaN, false, " ?°"},
        {kNaN, true, " ?°"},
        {-std::numeric_limits<double>::infinity(), true, " ?°"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trayIconText(c.t, c.bold), QString::fromUtf8(c.text)) << c.t << (c.bold ? " bold" : "");
    // A reading far outside any weather still gives its whole digits, not an overflow.
    EXPECT_EQ(trayIconText(1e20, false), QStringLiteral("100000000000000000000°"));
}

TEST(TrayDigits, ColoursBySignInStoredBlueGreenRedOrder)
{
    TrayLook look; // red on cyan at or above zero, blue on yellow below
    look.TrTrans = false;
    struct Case {
        double t;
        QRgb digits;
        QRgb background;
    };
    for (const Case& c : {Case {3, kOpaqueRed, 0xFF00FFFF}, Case {0, kOpaqueRed, 0xFF00FFFF}, Case {kNaN, kOpaqueRed, 0xFF00FFFF},
             Case {-0.4, kOpaqueBlue, 0xFFFFFF00}}) {
        const QImage image = pictureOf(trayDigitsIcon(c.t, look), 16);
        ASSERT_EQ(image.size(), QSize(16, 16));
        EXPECT_EQ(coloursOf(image), (std::set<QRgb> {c.digits, c.background})) << c.t << ": exactly two colours, no blending";
        const QRect digits = boundsOfColour(image, c.digits);
        EXPECT_GE(digits.height(), 7) << c.t;
        EXPECT_GE(digits.left(), 2) << c.t << ": one digit comes after a space";
        EXPECT_GE(digits.top(), 1) << c.t << ": printed below the top edge";
    }
    // Three digits start at the left edge and run off the right one.
    const QRect wide = boundsOfColour(pictureOf(trayDigitsIcon(105, look), 16), kOpaqueRed);
    EXPECT_LE(wide.left(), 1);
    EXPECT_EQ(wide.right(), 15);
}

TEST(TrayDigits, ColourKeyInBothModes)
{
    TrayLook look;
    // Transparent: the background colour, taken from pixel (0, 0), is gone everywhere.
    const QImage transparent = pictureOf(trayDigitsIcon(-7, look), 16);
    EXPECT_EQ(coloursOf(transparent), (std::set<QRgb> {0u, kOpaqueBlue}));

    // Digits of the background's colour vanish with it.
    look.TrCol[0] = look.TrCol[1];
    EXPECT_EQ(coloursOf(pictureOf(trayDigitsIcon(7, look), 16)), (std::set<QRgb> {0u}));

    // Opaque: the key is black. Black digits vanish, a coloured background stays.
    look.TrTrans = false;
    look.TrCol[0] = 0;
    look.TrCol[1] = 0xFF; // red
    const QImage blackDigits = pictureOf(trayDigitsIcon(7, look), 16);
    EXPECT_EQ(coloursOf(blackDigits), (std::set<QRgb> {0u, kOpaqueRed}));
    EXPECT_EQ(blackDigits.pixel(0, 0), kOpaqueRed);

    // The key covers every pixel of its colour, inside glyphs too, and nothing else.
    QImage printed(4, 1, QImage::Format_RGB32);
    printed.setPixel(0, 0, 0xFF123456);
    printed.setPixel(1, 0, 0xFF000000);
    printed.setPixel(2, 0, 0xFF123456);
    printed.setPixel(3, 0, 0xFF123457);
    const QImage keyed = DCToIcon(printed, -1);
    EXPECT_EQ(keyed.pixel(2, 0), 0u);
    EXPECT_EQ(keyed.pixel(1, 0), 0xFF000000);
    EXPECT_EQ(keyed.pixel(3, 0), 0xFF123457);
    EXPECT_EQ(DCToIcon(printed, 0).pixel(1, 0), 0u);
    EXPECT_EQ(DCToIcon(printed, 0x563412).pixel(0, 0), 0u) << "an explicit key is blue-green-red";
    EXPECT_TRUE(DCToIcon(QImage(), -1).isNull());
}

TEST(TrayDigits, EverySizeIsDrawnAtItsOwnSize)
{
    TrayLook look;
    look.TrBold = true;
    const QIcon icon = trayDigitsIcon(23, look);
    int previousHeight = 0;
    for (int size : kTrayIconSizes) {
        const QImage picture = pictureOf(icon, size);
        ASSERT_EQ(picture.size(), QSize(size, size));
        const QImage drawn = TextToIcon(QStringLiteral("23"), look.TrCol[0], look.TrCol[1], true, true, size);
        EXPECT_EQ(picture, drawn) << size << " px: the icon carries the drawing at that size";
        EXPECT_EQ(coloursOf(picture), (std::set<QRgb> {0u, kOpaqueRed})) << size;
        const int height = boundsOfColour(picture, kOpaqueRed).height();
        EXPECT_GT(height, previousHeight) << size;
        EXPECT_NEAR(double(height) / size, 8.0 / 16, 0.15) << size << " px: the font grows with the picture";
        previousHeight = height;
    }
    // Drawn anew, not a copy of the small picture blown up.
    const QImage small = TextToIcon(QStringLiteral("23"), 0xFF, 0xFFFF00, true, true, 16);
    EXPECT_NE(pictureOf(icon, 32), small.scaled(32, 32));
    EXPECT_NE(pictureOf(icon, 64), small.scaled(64, 64));
    // The sizes offered; one in between is the next larger drawing brought down, as a set of
    // pictures would give it, and one beyond the largest is the largest.
    QList<QSize> offered;
    for (int size : kTrayIconSizes)
        offered.append(QSize(size, size));
    EXPECT_EQ(icon.availableSizes(), offered);
    EXPECT_EQ(pictureOf(icon, 20), icon.pixmap(22)
                                       .scaled(20, 20, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                       .toImage()
                                       .convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(icon.actualSize(QSize(128, 128)), QSize(64, 64));
    EXPECT_EQ(pictureOf(icon, 128), pictureOf(icon, 64));
}

TEST(TrayDigits, OutOfRangeColoursUseTheirLowBitsAndAreLogged)
{
    LogCapture capture("thermobadge.tray");
    EXPECT_EQ(trayColour(0x7F0000FF), 0xFF0000u);
    EXPECT_EQ(trayColour(-1), 0xFFFFFFu);
    EXPECT_EQ(trayColour(0x00FF8040), 0x4080FFu);
    ASSERT_EQ(capture.texts().size(), 2);
    EXPECT_TRUE(capture.texts().first().contains(QStringLiteral("2130706687")));
    EXPECT_EQ(trayColour(-1), 0xFFFFFFu);
    EXPECT_EQ(capture.texts().size(), 2) << "the same refused colour again is not logged again";

    TrayLook look;
    look.TrTrans = false;
    look.TrCol[0] = 0x7F0000FF;
    EXPECT_EQ(boundsOfColour(pictureOf(trayDigitsIcon(4, look), 16), kOpaqueRed).height(), 8);

    trayIconText(1, false);
    trayIconText(kNaN, false);
    trayIconText(kNaN, false);
    EXPECT_EQ(capture.texts().filter(QStringLiteral("not a number")).size(), 1) << "logged once while it lasts";
}
