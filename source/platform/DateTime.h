#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cstdint>

namespace tb {

// A local wall-clock date and time held as days since 30 December 1899, the fraction being the
// time of day. This is the form the reading time is stored and computed in everywhere.
// Negative values count days before the epoch with a positive time of day (-1.25 is
// 29 December 1899 06:00), as the format has always done.
class DateTime {
public:
    constexpr DateTime() = default;
    constexpr explicit DateTime(double days) : days_(days) {}

    // Builds a value from a calendar date and a time of day (milliseconds kept).
    static DateTime fromDateAndTime(QDate date, QTime time);
    static DateTime fromQDateTime(const QDateTime& dt) { return fromDateAndTime(dt.date(), dt.time()); }
    // Convenience for literals in code and tests.
    static DateTime of(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    constexpr double days() const { return days_; }
    // Calendar date and time of day, as a QDateTime without a time zone (UTC), so every value
    // is valid; an invalid QDateTime only when the value lies outside QDate's range.
    QDateTime toQDateTime() const;
    QDate date() const { return toQDateTime().date(); }
    QTime time() const { return toQDateTime().time(); }

    // Milliseconds since the epoch on a linear scale (rounded to the millisecond).
    std::int64_t toLinearMs() const;
    static DateTime fromLinearMs(std::int64_t ms);

    // This value moved by a number of milliseconds or seconds of wall-clock time.
    DateTime addMs(std::int64_t ms) const { return fromLinearMs(toLinearMs() + ms); }
    DateTime addSecs(std::int64_t s) const { return addMs(s * 1000); }

    friend constexpr bool operator==(DateTime a, DateTime b) { return a.days_ == b.days_; }
    friend constexpr bool operator<(DateTime a, DateTime b) { return a.days_ < b.days_; }

private:
    double days_ = 0.0;
};

// Number of whole-second boundaries crossed going from `from` to `to` (negative when `to` is
// earlier). Two times within the same second give 0.
std::int64_t secondBoundaries(DateTime from, DateTime to);
// Number of minute boundaries crossed going from `from` to `to`: 10:00:59 to 10:01:00 is one.
std::int64_t minuteBoundaries(DateTime from, DateTime to);

} // namespace tb
