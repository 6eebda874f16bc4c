#include "temperature/ComponentError.h"
#include "temperature/Exchange.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tb;

TEST(Exchange, RequestLineCarriesTheWordAndItsChecksum)
{
    EXPECT_EQ(buildZaprosLine(u"abc").toLatin1().toHex(' '), "74 78 61 62 63 26");
    // The checksum is the code sum modulo 256, Cyrillic letters counted by their code-page codes.
    EXPECT_EQ(CheckSumChar(u"").unicode(), 0);
    EXPECT_EQ(CheckSumChar(u"я").unicode(), 0x044F); // code 255 comes back as the same letter
    EXPECT_EQ(CheckSumChar(u"яя"), QChar(0x044E));   // 510 mod 256 = 254
}

TEST(Exchange, RequestWordThatOverflowsTheAccumulatorIsRefused)
{
    // 128 characters of code 255 stay below 32768; 129 do not.
    EXPECT_NO_THROW(buildZaprosLine(QString(128, QChar(0x044F))));
    try {
        buildZaprosLine(QString(129, QChar(0x044F)));
        FAIL() << "no overflow";
    } catch (const ComponentError& e) {
        EXPECT_EQ(e.number(), kErrOverflow);
    }
}

TEST(Exchange, RepliesAreToldApartByLength)
{
    EXPECT_EQ(classifyReply(0), ReplyKind::Unread);
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(classifyReply(n), ReplyKind::Version) << n;
    for (int n = 6; n <= 17; ++n)
        EXPECT_EQ(classifyReply(n), ReplyKind::Ignored) << n;
    for (int n = 18; n <= 30; ++n)
        EXPECT_EQ(classifyReply(n), ReplyKind::Temperature) << n;
    EXPECT_EQ(classifyReply(31), ReplyKind::Unread);
    EXPECT_EQ(classifyReply(65507), ReplyKind::Unread);
}

TEST(Exchange, TextRoutines)
{
    EXPECT_EQ(CommaToDot(QStringLiteral("1,5,6")), QStringLiteral("1.5,6"));
    EXPECT_EQ(DotToComma(QStringLiteral("1.5.6")), QStringLiteral("1,5.6"));
    EXPECT_EQ(CommaToDot(QStringLiteral("15")), QStringLiteral("15"));
    EXPECT_EQ(VerToStr(1, 5), QStringLiteral("1,05"));
    EXPECT_EQ(VerToStr(1, 12), QStringLiteral("1,12"));
    EXPECT_EQ(VerToStr(2, 0), QStringLiteral("2,00"));
    EXPECT_FLOAT_EQ(versionValue(1, 5), 1.05f);
    EXPECT_LT(versionValue(1, 4), versionValue(1, 5));
    EXPECT_LT(versionValue(1, 99), versionValue(2, 0));
}

TEST(Exchange, LenientNumberReading)
{
    EXPECT_DOUBLE_EQ(*LenientVal(u"-5.3"), -5.3);
    EXPECT_DOUBLE_EQ(*LenientVal(u" - 1 2 . 5\t\n7"), -12.57);
    EXPECT_DOUBLE_EQ(*LenientVal(u"abc"), 0.0);
    EXPECT_DOUBLE_EQ(*LenientVal(u""), 0.0);
    EXPECT_DOUBLE_EQ(*LenientVal(u"3.2.1"), 3.2);
    EXPECT_DOUBLE_EQ(*LenientVal(u"+7C"), 7.0);
    EXPECT_DOUBLE_EQ(*LenientVal(u"1e5"), 1.0); // no exponent: reading stops at "e"
    EXPECT_DOUBLE_EQ(*LenientVal(u"12,5"), 12.0);
    EXPECT_DOUBLE_EQ(*LenientVal(u"."), 0.0);
    EXPECT_DOUBLE_EQ(*LenientVal(u"5."), 5.0);
    EXPECT_DOUBLE_EQ(*LenientVal(u"--5"), 0.0);
    EXPECT_DOUBLE_EQ(*LenientVal(QStringLiteral("0.") + QString(400, u'0') + QStringLiteral("1")), 0.0);
    EXPECT_FALSE(LenientVal(QString(400, u'9')).has_value()); // does not fit a double
}

TEST(Exchange, TemperatureReplyFields)
{
    const Regional ru = Regional::russian();
    auto r = parseTemperatureReply(u"24.10.2012 18:33 -5.3", ru);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->time, DateTime::of(2012, 10, 24, 18, 33));
    EXPECT_DOUBLE_EQ(r->temperature, -5.3);

    r = parseTemperatureReply(u"24.10.2012 18:33 abc", ru);
    ASSERT_TRUE(r);
    EXPECT_DOUBLE_EQ(r->temperature, 0.0);

    // Seconds in the time field are fine; the date and time form works in every locale.
    r = parseTemperatureReply(u"01.02.2013 07:05:09 12", Regional::english());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->time, DateTime::of(2013, 2, 1, 7, 5, 9));

    EXPECT_FALSE(parseTemperatureReply(u"4.10.2012 18:33 -5.3", ru));    // first space at 10
    EXPECT_FALSE(parseTemperatureReply(u"24.10.2012 8:33 -5.3", ru));    // second space at 16
    EXPECT_FALSE(parseTemperatureReply(u"24.10.2012_18:33_-5.3", ru));   // no space
    EXPECT_FALSE(parseTemperatureReply(u"24.10.2012 18:33-5.3000", ru)); // no second space
    EXPECT_FALSE(parseTemperatureReply(u"32.13.2012 18:33 -5.3", ru));   // no such date
    EXPECT_FALSE(parseTemperatureReply(u"24.10.2012 25:61 -5.3", ru));   // no such time
    EXPECT_FALSE(parseTemperatureReply(u"ЖЖЖЖЖЖЖЖЖЖ ЖЖЖЖЖ -5.3", ru));
}

TEST(Exchange, VersionReplies)
{
    auto v = parseVersionReply(u"1.5");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->major, 1);
    EXPECT_EQ(v->minor, 5);
    EXPECT_EQ(v->text, QStringLiteral("1,5"));

    v = parseVersionReply(u"1,12");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->minor, 12);

    v = parseVersionReply(u"2");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->major, 2);
    EXPECT_EQ(v->minor, 0);

    v = parseVersionReply(u"3.0"); // no fractional part: the number itself
    ASSERT_TRUE(v);
    EXPECT_EQ(v->major, 3);
    EXPECT_EQ(v->minor, 0);

    EXPECT_FALSE(parseVersionReply(u".5"));     // comma at position 1
    EXPECT_FALSE(parseVersionReply(u"1.2.3"));  // two separators
    EXPECT_FALSE(parseVersionReply(u"abc"));
    EXPECT_FALSE(parseVersionReply(u""));
    EXPECT_FALSE(parseVersionReply(u"99999"));  // not a 16-bit number
    EXPECT_FALSE(parseVersionReply(u"1.99999")); // minor not a 16-bit number
    EXPECT_FALSE(parseVersionReply(u"1,ж"));
}
