#include "QtPrinters.h"
#include "platform/Regional.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <random>

using namespace tb;

TEST(Regional, NumbersInTheRussianForm)
{
    const Regional ru = Regional::russian();
    EXPECT_EQ(ru.decimalSeparator(), QLatin1Char(','));
    EXPECT_EQ(ru.formatNumber(-5.3), QStringLiteral("-5,3"));
    EXPECT_EQ(ru.formatNumber(0), QStringLiteral("0"));
    EXPECT_EQ(ru.formatNumber(1e20), QStringLiteral("1E+20"));
    EXPECT_EQ(ru.formatNumber(0.1 + 0.2), QStringLiteral("0,3"));
    EXPECT_DOUBLE_EQ(*ru.parseNumber(u" -5,3 "), -5.3);
    EXPECT_DOUBLE_EQ(*ru.parseNumber(u"1E+20"), 1e20);
    EXPECT_DOUBLE_EQ(*ru.parseNumber(u"+2"), 2.0);
    for (const char16_t* bad : {u"-5.3", u"", u"-", u"1,2,3", u"1e", u"abc", u"1 2", u"1e999", u"٣"})
        EXPECT_FALSE(ru.parseNumber(bad)) << QString::fromUtf16(bad).toStdString();
}

TEST(Regional, NumbersRoundTripInBothForms)
{
    for (const Regional& r : {Regional::russian(), Regional::english()})
        for (double v : {-5.3, 12.25, -1e-7, 123456789012345.0, 0.0, 1.0 / 3.0})
            EXPECT_NEAR(*r.parseNumber(r.formatNumber(v)), v, std::abs(v) * 1e-15); // 15 significant digits
}

TEST(Regional, DatesInTheRussianForm)
{
    const Regional ru = Regional::russian();
    EXPECT_EQ(ru.formatDateTime(DateTime::of(2012, 10, 24, 18, 33)), QStringLiteral("24.10.2012 18:33:00"));
    EXPECT_EQ(ru.formatDateTime(DateTime::of(2012, 10, 24)), QStringLiteral("24.10.2012"));
    EXPECT_EQ(*ru.parseDateTime(u"24.10.2012 18:33"), DateTime::of(2012, 10, 24, 18, 33));
    EXPECT_EQ(*ru.parseDateTime(u"4.1.12 8:05:09"), DateTime::of(2012, 1, 4, 8, 5, 9));
    EXPECT_EQ(*ru.parseDateTime(u"24.10.2012"), DateTime::of(2012, 10, 24));
    EXPECT_EQ(*ru.parseDateTime(u"18:33"), DateTime::of(1899, 12, 30, 18, 33));
    EXPECT_EQ(*ru.parseDateTime(u"1.1.45"), DateTime::of(1945, 1, 1));
    for (const char16_t* bad : {u"", u"вчера", u"31.02.2012", u"24.10.2012 24:00", u"24.10.201218:33", u"24.10.2012 18:33 -5", u"123.10.2012"})
        EXPECT_FALSE(ru.parseDateTime(bad)) << QString::fromUtf16(bad).toStdString();
}

TEST(Regional, DatesInTheEnglishForm)
{
    const Regional en = Regional::english();
    EXPECT_EQ(en.formatDateTime(DateTime::of(2012, 10, 24, 18, 33)), QStringLiteral("10/24/2012 6:33:00 PM"));
    EXPECT_EQ(*en.parseDateTime(u"10/24/2012 6:33 PM"), DateTime::of(2012, 10, 24, 18, 33));
    EXPECT_EQ(*en.parseDateTime(u"10/24/2012 12:05 am"), DateTime::of(2012, 10, 24, 0, 5));
    EXPECT_FALSE(en.parseDateTime(u"24.10.2012 18:33")) << "month 24";
    EXPECT_FALSE(en.parseDateTime(u"10/24/2012 13:00 PM"));
}

TEST(Regional, TheServerFormIsReadInEveryLocale)
{
    EXPECT_EQ(*parseDottedDateTime(u"24.10.2012 18:33"), DateTime::of(2012, 10, 24, 18, 33));
    EXPECT_EQ(*parseDottedDateTime(u"01.02.2013 07:05:09"), DateTime::of(2013, 2, 1, 7, 5, 9));
    EXPECT_FALSE(parseDottedDateTime(u"24.10.12 18:33"));
    EXPECT_FALSE(parseDottedDateTime(u"10/24/2012 18:33"));
    EXPECT_FALSE(parseDottedDateTime(u"29.02.2023 18:33"));
}

TEST(Regional, WhatIsStoredInAnyLocaleReadsBack)
{
    // The C locale writes month names in its own date form; every locale must read back
    // what it wrote, or a restart would lose the reading time.
    const DateTime when = DateTime::of(2026, 12, 8, 7, 5, 9);
    QList<QLocale> locales = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    locales.append(QLocale::c());
    for (const QLocale& locale : locales) {
        const Regional r = Regional::fromLocale(locale);
        const QString text = r.formatDateTime(when);
        const auto back = r.parseDateTime(text);
        ASSERT_TRUE(back.has_value()) << locale.name().toStdString() << ": " << text.toStdString();
        EXPECT_EQ(*back, when) << locale.name().toStdString() << ": " << text.toStdString();
        EXPECT_DOUBLE_EQ(*r.parseNumber(r.formatNumber(-12.25)), -12.25) << locale.name().toStdString();
    }
    EXPECT_EQ(Regional::fromLocale(QLocale::c()).formatDateTime(when), QStringLiteral("2026-12-08 07:05:09"));
}

TEST(Regional, ALocalTimeTheClockSkipsIsStillWrittenAndRead)
{
    // 31 March 2024 02:30 does not exist in Berlin (summer time starts at 02:00); a reading
    // taken then on a server elsewhere must still be kept.
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const Regional ru = Regional::russian();
    const DateTime when = DateTime::of(2024, 3, 31, 2, 30);
    EXPECT_EQ(ru.formatDateTime(when), QStringLiteral("31.03.2024 02:30:00"));
    EXPECT_EQ(*ru.parseDateTime(u"31.03.2024 02:30:00"), when);
    EXPECT_EQ(*parseDottedDateTime(u"31.03.2024 02:30"), when);
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();
}

TEST(Regional, TheTimeSeparatorOfTheLocale)
{
    EXPECT_EQ(Regional::russian().timeSeparator(), QLatin1Char(':'));
    EXPECT_EQ(Regional::fromLocale(QLocale(QLocale::Finnish, QLocale::Finland)).timeSeparator(), QLatin1Char('.'));
    // In every locale: what stands between the hour and the minute of its time form, when that
    // is one character, time zone fields left out.
    static const QRegularExpression hourMinute(QStringLiteral("[hH]+([^hHm]+)m"));
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        QString form = locale.timeFormat(QLocale::LongFormat);
        form.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
        const auto m = hourMinute.match(form);
        const QString between = m.hasMatch() ? m.captured(1).trimmed() : QString();
        EXPECT_EQ(Regional::fromLocale(locale).timeSeparator(), between.size() == 1 ? between.front() : QLatin1Char(':'))
            << locale.name().toStdString() << ": " << form.toStdString();
    }
}

TEST(Regional, TheReadersAgreeWithTheirPatternsOnRandomTexts)
{
    // The readers scan by hand; these patterns say what they accept. Random texts of the
    // characters that matter must be read alike: accepted with the same parts, or refused.
    const QRegularExpression regional(QStringLiteral(
        "^\\s*(?:([0-9]{1,4})[./-]([0-9]{1,2})[./-]([0-9]{1,4}))?\\s*"
        "(?:([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?\\s*([^\\s0-9:]+)?)?\\s*$"));
    const QRegularExpression dotted(QStringLiteral(
        "^\\s*([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{4})\\s+([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?\\s*$"));
    const Regional ru = Regional::russian();
    const auto byPattern = [&](const QString& text) -> std::optional<DateTime> {
        const auto m = regional.match(text);
        if (!m.hasMatch() || (!m.hasCaptured(1) && !m.hasCaptured(4)))
            return std::nullopt;
        if (m.hasCaptured(1) && m.hasCaptured(4) && !text[m.capturedStart(4) - 1].isSpace())
            return std::nullopt;
        // Read again in a canonical form the hand reader must accept.
        QString canonical = m.hasCaptured(1) ? m.captured(1) + u'.' + m.captured(2) + u'.' + m.captured(3) : QString();
        if (m.hasCaptured(4))
            canonical += (canonical.isEmpty() ? QString() : QStringLiteral(" ")) + m.captured(4) + u':' + m.captured(5)
                         + (m.hasCaptured(6) ? u':' + m.captured(6) : QString()) + u' ' + m.captured(7);
        return ru.parseDateTime(canonical);
    };
    std::mt19937 random(20261208);
    // Texts made of the pieces dates and times are made of, so that many are near misses.
    const QStringList pieces = {QStringLiteral("."), QStringLiteral("/"), QStringLiteral("-"), QStringLiteral(":"),
                                QStringLiteral(" "), QStringLiteral("\t"), QStringLiteral("\u00a0"), QStringLiteral("PM"),
                                QStringLiteral("am"), QStringLiteral("x:")};
    int accepted = 0;
    for (int n = 0; n < 200000; ++n) {
        QString text;
        const int count = std::uniform_int_distribution<int>(1, 9)(random);
        for (int i = 0; i < count; ++i) {
            if (i % 2 == 0 && std::uniform_int_distribution<int>(0, 5)(random) > 0)
                text += QString::number(std::uniform_int_distribution<int>(0, 4)(random) > 0
                                            ? std::uniform_int_distribution<int>(0, 40)(random)
                                            : std::uniform_int_distribution<int>(0, 99999)(random));
            else
                text += pieces[std::uniform_int_distribution<qsizetype>(0, pieces.size() - 1)(random)];
        }
        const auto read = ru.parseDateTime(text);
        ASSERT_EQ(read, byPattern(text)) << text.toStdString();
        accepted += read.has_value();
        if (const auto m = dotted.match(text); m.hasMatch()) {
            const QString canonical = m.captured(1) + u'.' + m.captured(2) + u'.' + m.captured(3) + u' ' + m.captured(4)
                                      + u':' + m.captured(5) + u':' + (m.hasCaptured(6) ? m.captured(6) : QStringLiteral("0"));
            ASSERT_EQ(parseDottedDateTime(text), ru.parseDateTime(canonical)) << text.toStdString();
        } else {
            ASSERT_FALSE(parseDottedDateTime(text)) << text.toStdString();
        }
    }
    EXPECT_GT(accepted, 500) << "the random texts should often be dates or times";
}
