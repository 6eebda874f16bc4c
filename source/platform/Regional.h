#pragma once

#include "platform/DateTime.h"

#include <QLocale>
#include <QString>

#include <optional>

namespace tb {

// The user's regional formats for numbers and dates, as stored texts use them. Made from a
// QLocale; tests use the fixed Russian and English values.
class Regional {
public:
    enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

    static Regional fromLocale(const QLocale& locale);
    static Regional system() { return fromLocale(QLocale::system()); }
    // Decimal comma, dd.MM.yyyy, 24-hour time: the reference setting.
    static Regional russian() { return fromLocale(QLocale(QLocale::Russian, QLocale::Russia)); }
    // Decimal point, M/d/yyyy, 12-hour time with AM/PM.
    static Regional english() { return fromLocale(QLocale(QLocale::English, QLocale::UnitedStates)); }

    QChar decimalSeparator() const { return decimal_; }
    // The character between hours and minutes in the regional time form (":" or ".").
    QChar timeSeparator() const { return timeSeparator_; }
    DateOrder dateOrder() const { return order_; }

    // A number as text with up to 15 significant digits and the regional decimal separator,
    // exponent form ("1E+20") for very large and very small magnitudes.
    QString formatNumber(double value) const;
    // A number written with the regional separator, optional sign and exponent, blanks around
    // it allowed; nothing when the text is not such a number or does not fit a double.
    std::optional<double> parseNumber(QStringView text) const;

    // A whole number in the regional form: a fraction goes to the nearest whole number, halves
    // to the even one; nothing when the text is no number or the result lies outside lo..hi.
    std::optional<qint64> parseWhole(QStringView text, qint64 lo, qint64 hi) const;
    // "True"/"False" in any letter case, or a number (non-zero is true).
    std::optional<bool> parseBoolean(QStringView text) const;

    // Date and time in the regional short date and long time forms; the time is left out at
    // midnight and the date on day 0, as stored texts have always been written.
    QString formatDateTime(DateTime value) const;
    // A date, a time, or a date and a time in the regional forms (any of . / - between the date
    // parts, seconds and AM/PM optional, two-digit years in 1930..2029).
    std::optional<DateTime> parseDateTime(QStringView text) const;

private:
    Regional() = default;
    QChar decimal_ = QLatin1Char('.');
    QChar timeSeparator_ = QLatin1Char(':');
    DateOrder order_ = DateOrder::DayMonthYear;
    QString dateFormat_;
    QString timeFormat_;
    QString am_ = QStringLiteral("AM");
    QString pm_ = QStringLiteral("PM");
};

// Reads "day.month.year hour:minute[:second]" (one or two digit day and month, four-digit
// year), the form the temperature server uses, whatever the regional settings say.
std::optional<DateTime> parseDottedDateTime(QStringView text);

} // namespace tb
