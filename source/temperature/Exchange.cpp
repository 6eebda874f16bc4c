#include "temperature/Exchange.h"

#include "platform/Codepage.h"
#include "temperature/ComponentError.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tb {

ReplyKind classifyReply(qsizetype bytes)
{
    if (bytes <= 0 || bytes > 30)
        return ReplyKind::Unread;
    if (bytes < 6)
        return ReplyKind::Version;
    if (bytes < 18)
        return ReplyKind::Ignored;
    return ReplyKind::Temperature;
}

namespace {

// Sum of the codes in the 16-bit signed accumulator; nothing on overflow.
std::optional<int> codeSum(QStringView word)
{
    int sum = 0;
    for (QChar c : word) {
        sum += ansiCode(c);
        if (sum > 32767)
            return std::nullopt;
    }
    return sum;
}

std::optional<int> toInt16(QStringView digits)
{
    bool ok = false;
    const int v = digits.toInt(&ok);
    if (!ok || v < -32768 || v > 32767)
        return std::nullopt;
    return v;
}

} // namespace

QChar CheckSumChar(QStringView word)
{
    int sum = 0;
    for (QChar c : word)
        sum += ansiCode(c);
    return fromAnsi(QByteArray(1, static_cast<char>(sum % 256))).front();
}

QString buildZaprosLine(QStringView word)
{
    if (!codeSum(word))
        throw ComponentError::overflow();
    return QStringLiteral("tx") + word.toString() + CheckSumChar(word);
}

QString VerToStr(int major, int minor)
{
    QString m = QString::number(minor);
    if (minor <= 9)
        m.prepend(QLatin1Char('0'));
    return QString::number(major) + QLatin1Char(',') + m;
}

float versionValue(int major, int minor)
{
    const QByteArray text = CommaToDot(VerToStr(major, minor)).toLatin1();
    float v = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), v);
    return v;
}


std::optional<TemperatureReply> parseTemperatureReply(QStringView text, const Regional& regional)
{
    const auto p1 = text.indexOf(u' ') + 1; // positions from 1, 0 when absent
    if (p1 == 0 || p1 < 11)
        return std::nullopt;
    const auto p2 = text.indexOf(u' ', p1) + 1;
    if (p2 == 0 || p2 < 17)
        return std::nullopt;
    const QString when = text.left(p1 - 1).toString() + QLatin1Char(' ') + text.mid(p1, p2 - p1 - 1).toString();
    auto time = parseDottedDateTime(when);
    if (!time)
        time = regional.parseDateTime(when);
    if (!time)
        return std::nullopt;
    const auto value = LenientVal(text.mid(p2));
    if (!value)
        return std::nullopt;
    return TemperatureReply{*time, *value};
}

std::optional<VersionReply> parseVersionReply(QStringView raw)
{
    const QString text = DotToComma(raw.toString());
    QStringView t = QStringView(text).trimmed();
    if (!t.isEmpty() && (t[0] == u'+' || t[0] == u'-'))
        t = t.mid(1);
    // A number: digits with at most one comma, and at least one digit.
    int digits = 0, commas = 0;
    for (QChar c : t) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            ++digits;
        else if (c == u',')
            ++commas;
        else
            return std::nullopt;
    }
    if (digits == 0 || commas > 1)
        return std::nullopt;
    const QStringView whole = QStringView(text).trimmed();
    const auto c = whole.indexOf(u',');
    const QStringView fraction = c >= 0 ? whole.mid(c + 1) : QStringView();
    const bool hasFraction = std::any_of(fraction.begin(), fraction.end(), [](QChar d) { return d != u'0'; });
    if (!hasFraction) {
        // The number itself is the major version (the fraction is zero or absent).
        const auto major = toInt16(c >= 0 ? whole.left(c) : whole);
        if (!major)
            return std::nullopt;
        return VersionReply{*major, 0, text};
    }
    const auto pos = text.indexOf(QLatin1Char(',')) + 1; // position from 1
    if (pos < 2)
        return std::nullopt;
    const auto major = toInt16(QStringView(text).left(pos - 1).trimmed());
    const auto minor = toInt16(QStringView(text).mid(pos).trimmed());
    if (!major || !minor)
        return std::nullopt;
    return VersionReply{*major, *minor, text};
}

} // namespace tb
