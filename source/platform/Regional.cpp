#include "platform/Regional.h"

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

// The blanks the stored texts may have around and between their parts.
bool isBlank(QChar c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool isDateSeparator(QChar c)
{
    return c == u'.' || c == u'/' || c == u'-';
}

// Reads the text left to right: digits, single characters and blanks, each step either taking
// what it expects or leaving the position as it was.
class Scanner {
public:
    explicit Scanner(QStringView text)
        : text_(text)
    {
    }

    bool atEnd() const { return pos_ == text_.size(); }
    qsizetype pos() const { return pos_; }
    QStringView rest() const { return text_.sliced(pos_); }

    // From `least` to `most` ASCII digits (as many as there are up to `most`).
    std::optional<QStringView> digits(qsizetype least, qsizetype most)
    {
        qsizetype end = pos_;
        while (end < text_.size() && end - pos_ < most && text_[end] >= u'0' && text_[end] <= u'9')
            ++end;
        if (end - pos_ < least)
            return std::nullopt;
        const QStringView taken = text_.sliced(pos_, end - pos_);
        pos_ = end;
        return taken;
    }
    // One character that `accept` says yes to.
    template <typename Accept>
    std::optional<QChar> one(Accept accept)
    {
        if (atEnd() || !accept(text_[pos_]))
            return std::nullopt;
        return text_[pos_++];
    }
    bool skip(QChar c) { return one([c](QChar d) { return d == c; }).has_value(); }
    // Blanks; whether there were any.
    bool blanks()
    {
        const qsizetype from = pos_;
        while (!atEnd() && isBlank(text_[pos_]))
            ++pos_;
        return pos_ > from;
    }

private:
    QStringView text_;
    qsizetype pos_ = 0;
};

// A time "h:m[:s][ marker]" (one or two digits each; the marker is any word without digits or
// colons, blanks before it allowed) up to the end of the text, blanks after it allowed.
struct TimeParts {
    QStringView hour, minute, second, marker;
};
std::optional<TimeParts> readTime(QStringView text)
{
    Scanner in(text);
    TimeParts t;
    const auto hour = in.digits(1, 2);
    if (!hour || !in.skip(u':'))
        return std::nullopt;
    const auto minute = in.digits(1, 2);
    if (!minute)
        return std::nullopt;
    t.hour = *hour;
    t.minute = *minute;
    if (in.skip(u':')) {
        const auto second = in.digits(1, 2);
        if (!second)
            return std::nullopt;
        t.second = *second;
    }
    in.blanks();
    const qsizetype markerStart = in.pos();
    while (in.one([](QChar c) { return !isBlank(c) && !(c >= u'0' && c <= u'9') && c != u':'; }))
        ;
    t.marker = text.sliced(markerStart, in.pos() - markerStart);
    in.blanks();
    if (!in.atEnd())
        return std::nullopt;
    return t;
}

// Whether a date pattern has only numeric day, month and year fields ("d", "dd", "M", "MM" or
// "yyyy") between two equal separators that the reader accepts, so that what is written can be
// read back.
bool numericDatePattern(QStringView pattern)
{
    const auto field = [](QStringView f) {
        return f == u"d" || f == u"dd" || f == u"M" || f == u"MM" || f == u"yyyy";
    };
    qsizetype first = -1;
    for (qsizetype i = 0; i < pattern.size() && first < 0; ++i)
        if (isDateSeparator(pattern[i]))
            first = i;
    if (first < 0)
        return false;
    const qsizetype second = pattern.indexOf(pattern[first], first + 1);
    if (second < 0)
        return false;
    return field(pattern.first(first)) && field(pattern.sliced(first + 1, second - first - 1))
           && field(pattern.sliced(second + 1));
}

// Removes the time zone fields ("t", "tt", ...) of a time pattern with the blanks around them.
QString withoutTimeZone(const QString& pattern)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        qsizetype end = i;
        while (end < pattern.size() && isBlank(pattern[end]))
            ++end;
        if (end < pattern.size() && pattern[end] == u't') {
            while (end < pattern.size() && pattern[end] == u't')
                ++end;
            while (end < pattern.size() && isBlank(pattern[end]))
                ++end;
            i = end;
            continue;
        }
        out += pattern[i++];
    }
    return out;
}

// What stands between the hour and the minute fields of a time pattern ("HH:mm" gives ":"),
// empty when the pattern has no hour followed by a minute.
QStringView hourMinuteSeparator(QStringView pattern)
{
    const auto hour = [](QChar c) { return c == u'h' || c == u'H'; };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (!hour(pattern[i]))
            continue;
        qsizetype from = i;
        while (from < pattern.size() && hour(pattern[from]))
            ++from;
        qsizetype to = from;
        while (to < pattern.size() && !hour(pattern[to]) && pattern[to] != u'm')
            ++to;
        if (to > from && to < pattern.size() && pattern[to] == u'm')
            return pattern.sliced(from, to - from);
    }
    return {};
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
    tf = withoutTimeZone(tf);
    const bool twelveHour = tf.contains(QLatin1Char('h')) && tf.contains(QLatin1String("AP"), Qt::CaseInsensitive);
    if (const QStringView sep = hourMinuteSeparator(tf).trimmed(); sep.size() == 1)
        r.timeSeparator_ = sep.front();
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
    // [date][ time]: the date's three numbers with any of . / - between them, blanks before the
    // time, blanks around the whole allowed.
    Scanner in(text);
    in.blanks();
    QStringView p[3];
    bool hasDate = false;
    {
        Scanner date = in;
        const auto a = date.digits(1, 4);
        const bool first = a && date.one(isDateSeparator);
        const auto b = first ? date.digits(1, 2) : std::nullopt;
        const bool second = b && date.one(isDateSeparator);
        const auto c = second ? date.digits(1, 4) : std::nullopt;
        if (c) {
            p[0] = *a, p[1] = *b, p[2] = *c;
            hasDate = true;
            in = date;
        }
    }
    if (hasDate && !in.atEnd() && !in.blanks())
        return std::nullopt; // the time must be set apart from the date
    std::optional<TimeParts> t;
    if (!in.atEnd() && !(t = readTime(in.rest())))
        return std::nullopt;
    if (!hasDate && !t)
        return std::nullopt;

    QDate date(1899, 12, 30);
    if (hasDate) {
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
    if (t) {
        const auto made = makeTime(t->hour.toInt(), t->minute.toInt(), t->second.isEmpty() ? 0 : t->second.toInt(),
                                   t->marker, am_, pm_);
        if (!made)
            return std::nullopt;
        time = *made;
    }
    return DateTime::fromDateAndTime(date, time);
}

std::optional<DateTime> parseDottedDateTime(QStringView text)
{
    // "d.M.yyyy h:m[:s]", one or two digits for all but the year, blanks around allowed.
    Scanner in(text);
    in.blanks();
    const auto d = in.digits(1, 2);
    const auto m = d && in.skip(u'.') ? in.digits(1, 2) : std::nullopt;
    const auto y = m && in.skip(u'.') ? in.digits(4, 4) : std::nullopt;
    const auto h = y && in.blanks() ? in.digits(1, 2) : std::nullopt;
    const auto mi = h && in.skip(u':') ? in.digits(1, 2) : std::nullopt;
    if (!mi)
        return std::nullopt;
    std::optional<QStringView> s = QStringView(u"0");
    if (in.skip(u':'))
        s = in.digits(1, 2);
    in.blanks();
    if (!s || !in.atEnd())
        return std::nullopt;
    const QDate date(y->toInt(), m->toInt(), d->toInt());
    const int hour = h->toInt(), minute = mi->toInt(), second = s->toInt();
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return DateTime::fromDateAndTime(date, QTime(hour, minute, second));
}

} // namespace tb
