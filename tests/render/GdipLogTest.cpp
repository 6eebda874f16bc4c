#include "LogCapture.h"
#include "QtPrinters.h"
#include "RenderTestSupport.h"
#include "platform/fakes/FakeClock.h"
#include "render/GdipLog.h"

#include <gtest/gtest.h>

using namespace tb;
using namespace tb::test;

TEST(GdipLog, LineFormatWithTheStageAsFiveDigits)
{
    FakeClock clock(DateTime::of(2026, 12, 7, 9, 5, 3));
    RecordingErrorList list;
    GdipLog log(clock, &list);
    log.setGdipStage(14);
    EXPECT_EQ(log.GdipCheck(gdip::FontFamilyNotFound), 14);
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.lines[0], QStringLiteral("7.12.2026 9:05:03 ==> Error=00-014 (ErrReturn=14)\r\n"));

    // Two-digit day and hour, and the other ends of the stage pattern.
    const DateTime late = DateTime::of(2027, 1, 23, 23, 59, 9);
    EXPECT_EQ(GdipLog::formatLine(late, 3, 0), QStringLiteral("23.01.2027 23:59:09 ==> Error=00-003 (ErrReturn=0)\r\n"));
    EXPECT_EQ(GdipLog::formatLine(late, 0, -1), QStringLiteral("23.01.2027 23:59:09 ==> Error=00-000 (ErrReturn=-1)\r\n"));
    EXPECT_EQ(GdipLog::formatLine(late, 12345, 2), QStringLiteral("23.01.2027 23:59:09 ==> Error=12-345 (ErrReturn=2)\r\n"));
    EXPECT_EQ(GdipLog::formatLine(late, 32767, 2), QStringLiteral("23.01.2027 23:59:09 ==> Error=32-767 (ErrReturn=2)\r\n"));
    EXPECT_EQ(GdipLog::formatLine(late, -5, 2), QStringLiteral("23.01.2027 23:59:09 ==> Error=-00-005 (ErrReturn=2)\r\n"));
}

TEST(GdipLog, OnlyFailuresAreLoggedInTheOrderTheyHappen)
{
    FakeClock clock(DateTime::of(2026, 3, 1, 0, 0, 58));
    RecordingErrorList list;
    GdipLog log(clock, &list);
    EXPECT_EQ(log.GdipStage(), 0);

    EXPECT_EQ(log.GdipCheck(gdip::Ok), 0);
    EXPECT_TRUE(list.lines.empty());

    log.setGdipStage(10);
    log.GdipCheck(gdip::UnknownImageFormat);
    clock.advanceSecs(3);
    log.setGdipStage(14);
    log.GdipCheck(gdip::FontFamilyNotFound);
    log.GdipCheck(gdip::FontFamilyNotFound); // the stage is never reset between failures
    log.GdipLogError(0); // a direct call logs even status 0

    ASSERT_EQ(list.lines.size(), 4u);
    EXPECT_EQ(list.lines[0], QStringLiteral("1.03.2026 0:00:58 ==> Error=00-010 (ErrReturn=13)\r\n"));
    EXPECT_EQ(list.lines[1], QStringLiteral("1.03.2026 0:01:01 ==> Error=00-014 (ErrReturn=14)\r\n"));
    EXPECT_EQ(list.lines[2], list.lines[1]);
    EXPECT_EQ(list.lines[3], QStringLiteral("1.03.2026 0:01:01 ==> Error=00-014 (ErrReturn=0)\r\n"));
    EXPECT_EQ(log.GdipStage(), 14);
}

TEST(GdipLog, EveryLineAlsoReachesTheStandardLogEvenWithoutAList)
{
    FakeClock clock(DateTime::of(2026, 12, 7, 9, 5, 3));
    LogCapture capture("thermobadge.render");
    GdipLog log(clock);
    log.setGdipStage(12);
    log.GdipCheck(gdip::OutOfMemory, "canvas too big");
    RecordingErrorList list;
    log.setSink(&list);
    log.GdipCheck(gdip::InvalidParameter);

    ASSERT_EQ(capture.texts().size(), 2);
    EXPECT_TRUE(capture.texts()[0].startsWith(QStringLiteral("7.12.2026 9:05:03 ==> Error=00-012 (ErrReturn=3)")));
    EXPECT_TRUE(capture.texts()[0].contains(QStringLiteral("canvas too big")));
    EXPECT_FALSE(capture.texts()[1].contains(QLatin1Char('\r')));
    // The reason stays out of the error list.
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.lines[0], QStringLiteral("7.12.2026 9:05:03 ==> Error=00-012 (ErrReturn=2)\r\n"));
}
