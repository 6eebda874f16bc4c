#include "Regional.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace tb {
namespace {

std::optional<double> toDouble(const QByteArray& plain)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(plain.constData(), plain.constData() + plain.size(), v);
    if (ec != std::errc() || end != plain.constData() + plain.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

int expandYear(int year, qsizetype digits)
{
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

std::optional<QTime> makeTime(int h, int m, int s, QStringView ampm, const QString& am, const QString& pm)
{
    if (!ampm.isEmpty()) {
        const bool isPm = ampm.compare(pm, Qt::CaseInsensitive) == 0 || ampm.compare(u"PM", Qt::CaseInsensitive) == 0;
        const bool isAm = ampm.compare(am, Qt::CaseInsensitive) == 0 || ampm.compare(u"AM", Qt::CaseInsensitive) == 0;
        if ((!isPm && !isAm) || h < 1 || h > 12)
            return std::nullopt;
        h = (h % 12) + (isPm ? 12 : 0);
    }
    if (h > 23 || m > 59 || s > 59)
        return std::nullopt;
    return QTime(h, m, s);
}

} // namespace

namespace {

// Whether a date pattern has only numeric day, month and year fields between separators that
// the reader accepts, so that what is written can be read back.
bool numericDatePattern(const QString& pattern)
{
    static const QRegularExpression numeric(QStringLiteral("^(d{1,2}|M{1,2}|y{4})([./-])(d{1,2}|M{1,2}|y{4})\\2(d{1,2}|M{1,2}|y{4})$"));
    return numeric.match(pattern).hasMatch();
}

} // namespace

Regional Regional::fromLocale(const QLocale& locale)
{
    Regional r;
    r.decimal_ = locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().front();
    if (r.decimal_ != QLatin1Char('.') && r.decimal_ != QLatin1Char(','))
        r.decimal_ = QLatin1Char('.'); // a separator the stored texts could not carry safely
    QString df = locale.dateFormat(QLocale::ShortFormat);
    if (!df.contains(QStringLiteral("yyyy")))
        df.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    const auto d = df.indexOf(QLatin1Char('d')), m = df.indexOf(QLatin1Char('M')), y = df.indexOf(QLatin1Char('y'));
    if (y < m && m < d)
        r.order_ = DateOrder::YearMonthDay;
    else if (m < d)
        r.order_ = DateOrder::MonthDayYear;
    else
        r.order_ = DateOrder::DayMonthYear;
    // Patterns with month names or other separators (the C locale's "d MMM yyyy", say) are
    // replaced by the numeric form of the same order, so stored dates always read back.
    if (locale.language() == QLocale::C) {
        r.order_ = DateOrder::YearMonthDay;
        df = QStringLiteral("yyyy-MM-dd");
    } else if (!numericDatePattern(df)) {
        switch (r.order_) {
        case DateOrder::DayMonthYear: df = QStringLiteral("dd.MM.yyyy"); break;
        case DateOrder::MonthDayYear: df = QStringLiteral("MM/dd/yyyy"); break;
        case DateOrder::YearMonthDay: df = QStringLiteral("yyyy-MM-dd"); break;
        }
    }
    r.dateFormat_ = df;
    QString tf = locale.timeFormat(QLocale::LongFormat);
    tf.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    const bool twelveHour = tf.contains(QLatin1Char('h')) && tf.contains(QLatin1String("AP"), Qt::CaseInsensitive);
    static const QRegularExpression hourMinute(QStringLiteral("[hH]+([^hHm]+)m"));
    if (const auto sep = hourMinute.match(tf); sep.hasMatch() && sep.captured(1).trimmed().size() == 1)
        r.timeSeparator_ = sep.captured(1).trimmed().front();
    // Only hours, minutes, seconds and an AM/PM marker are written.
    r.timeFormat_ = twelveHour ? QStringLiteral("h:mm:ss AP") : QStringLiteral("H:mm:ss");
    if (tf.startsWith(QLatin1String("HH")))
        r.timeFormat_ = QStringLiteral("HH:mm:ss");
    return r;
}

QString Regional::formatNumber(double value) const
{
    if (value == 0)
        return QStringLiteral("0");
    QString s = QString::number(value, 'g', 15);
    s.replace(QLatin1Char('e'), QLatin1Char('E'));
    if (decimal_ != QLatin1Char('.'))
        s.replace(QLatin1Char('.'), decimal_);
    return s;
}

std::optional<double> Regional::parseNumber(QStringView text) const
{
    text = text.trimmed();
    QByteArray plain;
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-')
            plain += '-';
        ++i;
    }
    int digits = 0;
    bool seenSep = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            plain += static_cast<char>(c.unicode());
            ++digits;
        } else if (c == decimal_ && !seenSep) {
            plain += '.';
            seenSep = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
            plain += static_cast<char>(text[i++].unicode());
        int expDigits = 0;
        for (; i < text.size() && text[i].unicode() < 128 && text[i].isDigit(); ++i, ++expDigits)
            plain += static_cast<char>(text[i].unicode());
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    return toDouble(plain);
}

std::optional<qint64> Regional::parseWhole(QStringView text, qint64 lo, qint64 hi) const
{
    const auto n = parseNumber(text);
    if (!n)
        return std::nullopt;
    const double r = *n - std::remainder(*n, 1.0);
    if (r < static_cast<double>(lo) || r > static_cast<double>(hi))
        return std::nullopt;
    return static_cast<qint64>(r);
}

std::optional<bool> Regional::parseBoolean(QStringView text) const
{
    const QStringView t = text.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    if (const auto n = parseNumber(t))
        return *n != 0;
    return std::nullopt;
}

QString Regional::formatDateTime(DateTime value) const
{
    const QDateTime dt = value.toQDateTime();
    if (!dt.isValid())
        return {};
    const bool hasDate = dt.date() != QDate(1899, 12, 30);
    const bool hasTime = dt.time() != QTime(0, 0);
    QString out;
    if (hasDate || !hasTime)
        out = dt.date().toString(dateFormat_);
    if (hasTime) {
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        QString t = dt.time().toString(timeFormat_);
        out += t;
    }
    return out;
}

std::optional<DateTime> Regional::parseDateTime(QStringView text) const
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(?:([0-9]{1,4})[./-]([0-9]{1,2})[./-]([0-9]{1,4}))?\\s*"
        "(?:([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?\\s*([^\\s0-9:]+)?)?\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const bool hasDate = m.hasCaptured(1);
    const bool hasTime = m.hasCaptured(4);
    if (!hasDate && !hasTime)
        return std::nullopt;
    if (hasDate && hasTime && !text[m.capturedStart(4) - 1].isSpace())
        return std::nullopt;
    QDate date(1899, 12, 30);
    if (hasDate) {
        const QStringView p[3] = {m.capturedView(1), m.capturedView(2), m.capturedView(3)};
        QStringView dv, mv, yv;
        switch (order_) {
        case DateOrder::DayMonthYear: dv = p[0], mv = p[1], yv = p[2]; break;
        case DateOrder::MonthDayYear: mv = p[0], dv = p[1], yv = p[2]; break;
        case DateOrder::YearMonthDay: yv = p[0], mv = p[1], dv = p[2]; break;
        }
        if (dv.size() > 2 || yv.size() == 3)
            return std::nullopt;
        date = QDate(expandYear(yv.toInt(), yv.size()), mv.toInt(), dv.toInt());
        if (!date.isValid())
            return std::nullopt;
    }
    QTime time(0, 0);
    if (hasTime) {
        const auto t = makeTime(m.capturedView(4).toInt(), m.capturedView(5).toInt(),
                                m.hasCaptured(6) ? m.capturedView(6).toInt() : 0, m.capturedView(7), am_, pm_);
        if (!t)
            return std::nullopt;
        time = *t;
    } else if (m.hasCaptured(7)) {
        return std::nullopt;
    }
    return DateTime::fromDateAndTime(date, time);
}

std::optional<DateTime> parseDottedDateTime(QStringView text)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{4})\\s+([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.capturedView(3).toInt(), m.capturedView(2).toInt(), m.capturedView(1).toInt());
    const int h = m.capturedView(4).toInt(), mi = m.capturedView(5).toInt();
    const int s = m.hasCaptured(6) ? m.capturedView(6).toInt() : 0;
    if (!date.isValid() || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    return DateTime::fromDateAndTime(date, QTime(h, mi, s));
}

} // namespace tb
