#include "QtPrinters.h"
#include "platform/Codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace tb;

TEST(Codepage, AgreesWithTheSystemConverterForEveryByte)
{
    QStringDecoder decoder("windows-1251");
    ASSERT_TRUE(decoder.isValid());
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98)
            continue; // unassigned in the code page; kept as U+0098 so that it round-trips
        const QByteArray one(1, char(b));
        EXPECT_EQ(fromAnsi(one), QString(decoder.decode(one))) << "byte " << b;
    }
}

TEST(Codepage, EveryByteRoundTrips)
{
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    EXPECT_EQ(toAnsi(fromAnsi(all)), all);
}

TEST(Codepage, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(toAnsi(u"Ж€№"), QByteArray("\xC6\x88\xB9"));
    EXPECT_EQ(toAnsi(u"日本ü"), QByteArray("???"));
    EXPECT_EQ(ansiCode(QChar(0x044F)), 255);
}
