#include "platform/DateTime.h"

#include <gtest/gtest.h>

using namespace tb;

TEST(DateTime, DaysSinceTheEpoch)
{
    EXPECT_EQ(DateTime::of(1899, 12, 30).days(), 0.0);
    EXPECT_EQ(DateTime::of(1900, 1, 1, 12).days(), 2.5);
    EXPECT_EQ(DateTime::of(2012, 10, 24).days(), 41206.0);
    EXPECT_NEAR(DateTime::of(2012, 10, 24, 18, 33).days(), 41206.772916666667, 1e-9);
    // Before the epoch the time of day stays a positive fraction.
    EXPECT_EQ(DateTime::of(1899, 12, 29, 6).days(), -1.25);
    EXPECT_EQ(DateTime(-1.25).toQDateTime(), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
}

TEST(DateTime, ConversionsRoundTrip)
{
    for (const QDateTime& dt : {QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)), QDateTime(QDate(1899, 12, 1), QTime(0, 0, 1)),
                                QDateTime(QDate(9999, 12, 31), QTime(12, 0))}) {
        EXPECT_EQ(DateTime::fromQDateTime(dt).toQDateTime(), dt);
    }
    const DateTime t = DateTime::of(2024, 3, 1, 10, 0, 0);
    EXPECT_EQ(DateTime::fromLinearMs(t.toLinearMs()), t);
    EXPECT_EQ(t.addSecs(86400), DateTime::of(2024, 3, 2, 10, 0, 0));
    EXPECT_EQ(DateTime(1e300).toLinearMs(), 0) << "values far outside any calendar are harmless";
}

TEST(DateTime, BoundaryCounting)
{
    const DateTime a = DateTime::of(2024, 3, 1, 10, 0, 59);
    EXPECT_EQ(minuteBoundaries(a, DateTime::of(2024, 3, 1, 10, 1, 0)), 1);
    EXPECT_EQ(minuteBoundaries(DateTime::of(2024, 3, 1, 10, 0, 0), a), 0);
    EXPECT_EQ(secondBoundaries(a, a.addMs(999)), 0);
    EXPECT_EQ(secondBoundaries(a.addMs(500), a.addMs(1000)), 1);
    EXPECT_EQ(secondBoundaries(a, a.addSecs(-3600)), -3600);
    EXPECT_EQ(secondBoundaries(DateTime(0), DateTime::of(2024, 1, 1)), 45292LL * 86400);
    EXPECT_EQ(minuteBoundaries(DateTime::of(1899, 12, 29, 23, 59, 30), DateTime::of(1899, 12, 30, 0, 0, 10)), 1);
}
