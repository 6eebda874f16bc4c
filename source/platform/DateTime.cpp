#include "platform/DateTime.h"

#include <cmath>

namespace tb {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
const QDate kEpoch(1899, 12, 30);

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

DateTime DateTime::fromDateAndTime(QDate date, QTime time)
{
    const std::int64_t day = kEpoch.daysTo(date);
    const std::int64_t msOfDay = time.isValid() ? time.msecsSinceStartOfDay() : 0;
    return fromLinearMs(day * kMsPerDay + msOfDay);
}

DateTime DateTime::of(int year, int month, int day, int hour, int minute, int second)
{
    return fromDateAndTime(QDate(year, month, day), QTime(hour, minute, second));
}

std::int64_t DateTime::toLinearMs() const
{
    if (!std::isfinite(days_) || std::fabs(days_) > 1e9)
        return 0;
    // The whole part counts days, the fraction is always a positive time of day.
    const double whole = std::trunc(days_);
    const double frac = std::fabs(days_ - whole);
    const auto ms = static_cast<std::int64_t>(std::llround(frac * kMsPerDay));
    return static_cast<std::int64_t>(whole) * kMsPerDay + ms;
}

DateTime DateTime::fromLinearMs(std::int64_t ms)
{
    const std::int64_t day = floorDiv(ms, kMsPerDay);
    const std::int64_t msOfDay = ms - day * kMsPerDay;
    const double frac = static_cast<double>(msOfDay) / kMsPerDay;
    // Before the epoch the whole part is still the day and the time of day is added as a
    // positive fraction away from zero: 29 December 1899 06:00 is -1.25.
    if (day < 0)
        return DateTime(static_cast<double>(day) - frac);
    return DateTime(static_cast<double>(day) + frac);
}

QDateTime DateTime::toQDateTime() const
{
    const std::int64_t ms = toLinearMs();
    const std::int64_t day = floorDiv(ms, kMsPerDay);
    const QDate date = kEpoch.addDays(day);
    // The value is a plain calendar date and time: built without a time zone, so that a local
    // time the clock skips (the spring change to summer time) still exists.
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms - day * kMsPerDay)), Qt::UTC);
}

std::int64_t secondBoundaries(DateTime from, DateTime to)
{
    return floorDiv(to.toLinearMs(), 1000) - floorDiv(from.toLinearMs(), 1000);
}

std::int64_t minuteBoundaries(DateTime from, DateTime to)
{
    return floorDiv(to.toLinearMs(), 60'000) - floorDiv(from.toLinearMs(), 60'000);
}

} // namespace tb
