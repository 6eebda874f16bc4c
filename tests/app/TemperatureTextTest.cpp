#include "QtPrinters.h"
#include "app/TemperatureText.h"

#include <gtest/gtest.h>

using namespace tb;

TEST(TemperatureText, TheTenFormats)
{
    const char* expected65[] = {"+6.5", "+6.5°", "+6.5 °", "+6.5°C", "+6.5 °C", "+7", "+7°", "+7 °", "+7°C", "+7 °C"};
    const char* expectedNeg[] = {"-12.3", "-12.3°", "-12.3 °", "-12.3°C", "-12.3 °C", "-12", "-12°", "-12 °", "-12°C", "-12 °C"};
    for (int i = 0; i < kTemperFormatCount; ++i) {
        EXPECT_EQ(GetTemperFormat(6.5, i), QString::fromUtf8(expected65[i])) << i;
        EXPECT_EQ(GetTemperFormat(-12.34, i), QString::fromUtf8(expectedNeg[i])) << i;
    }
}

TEST(TemperatureText, SignsAndRounding)
{
    EXPECT_EQ(GetTemperFormat(0, 4), QStringLiteral("+0.0 °C"));
    EXPECT_EQ(GetTemperFormat(0, 9), QStringLiteral("+0 °C"));
    EXPECT_EQ(GetTemperFormat(-0.0, 0), QStringLiteral("+0.0"));
    EXPECT_EQ(GetTemperFormat(-0.04, 0), QStringLiteral("-0.0")) << "the sign of the unrounded value";
    EXPECT_EQ(GetTemperFormat(-0.3, 5), QStringLiteral("-0"));
    EXPECT_EQ(GetTemperFormat(-6.5, 5), QStringLiteral("-7"));
    EXPECT_EQ(GetTemperFormat(0.25, 0), QStringLiteral("+0.3"));
    EXPECT_EQ(GetTemperFormat(6.45, 0), QStringLiteral("+6.5"));
    EXPECT_EQ(GetTemperFormat(-9.95, 0), QStringLiteral("-10.0"));
    EXPECT_EQ(GetTemperFormat(99.96, 0), QStringLiteral("+100.0"));
    EXPECT_EQ(GetTemperFormat(1234567.25, 5), QStringLiteral("+1234567"));
    EXPECT_EQ(GetTemperFormat(1e-20, 0), QStringLiteral("+0.0"));
}

TEST(TemperatureText, IndexesOutsideTheTableGiveTheNumberAlone)
{
    EXPECT_EQ(GetTemperFormat(6.5, -1), QStringLiteral("+6.5"));
    EXPECT_EQ(GetTemperFormat(6.5, 10), QStringLiteral("+7"));
    EXPECT_EQ(GetTemperFormat(6.5, 32767), QStringLiteral("+7"));
    EXPECT_EQ(GetTemperFormat(6.5, -32768), QStringLiteral("+6.5"));
}

TEST(TemperatureText, TooltipUsesTheRegionalSeparator)
{
    const DateTime t = DateTime::of(2024, 3, 7, 14, 5);
    EXPECT_EQ(temperatureTooltip(6.5, t, Regional::russian()), QStringLiteral("+6,5 °C\r\n7.03.2024 в 14:05"));
    EXPECT_EQ(temperatureTooltip(-0.04, t, Regional::english()), QStringLiteral("-0.0 °C\r\n7.03.2024 в 14:05"));
    EXPECT_EQ(temperatureTooltip(6.5, t, Regional::fromLocale(QLocale(QLocale::Finnish, QLocale::Finland))),
              QStringLiteral("+6,5 °C\r\n7.03.2024 в 14.05"))
        << "hours and minutes joined by the regional time separator";
    EXPECT_EQ(CommaToDot(QStringLiteral("+6,5,1")), QStringLiteral("+6.5,1"));
}

TEST(TemperatureText, TheFormatMenuListsEveryFormatAndChecksTheCurrentOne)
{
    const FormatMenu menu = SetTemperFormat(6.5, 4);
    ASSERT_EQ(menu.captions.size(), kTemperFormatCount);
    EXPECT_EQ(menu.captions[0], QStringLiteral("+6.5"));
    EXPECT_EQ(menu.captions[9], QStringLiteral("+7 °C"));
    EXPECT_EQ(menu.checked, 4);
    EXPECT_EQ(SetTemperFormat(6.5, 12).checked, -1) << "a stored format outside the menu checks nothing";
}
