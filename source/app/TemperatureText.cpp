#include "app/TemperatureText.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tb {

QString signedTemperature(double value, int decimals, QChar separator)
{
    const QChar sign = value < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const double magnitude = std::fabs(value);
    QString number;
    if (!std::isfinite(value) || magnitude >= 1e15) {
        number = QString::number(magnitude, 'f', decimals);
    } else {
        // Round the decimal digits the value shows (15 significant), not its binary
        // expansion: 0.25 gives 0.3 and 6.45 gives 6.5, as a reader of the number expects.
        char buf[64];
        const auto end = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14).ptr;
        const QByteArray text(buf, end - buf); // d.dddddddddddddde+XX
        const QByteArray digits = text.left(1) + text.mid(2, 14);
        const int exponent = text.mid(text.indexOf('e') + 1).toInt();
        const int keep = exponent + 1 + decimals; // digits left of the rounding place
        qint64 scaled = 0;                         // value * 10^decimals, rounded
        if (keep >= 0) {
            for (int i = 0; i < std::min(keep, 15); ++i)
                scaled = scaled * 10 + (digits[i] - '0');
            for (int i = 15; i < keep; ++i)
                scaled *= 10;
            if (keep < 15 && digits[keep] >= '5')
                ++scaled;
        }
        qint64 unit = 1;
        for (int i = 0; i < decimals; ++i)
            unit *= 10;
        number = QString::number(scaled / unit);
        if (decimals > 0)
            number += QLatin1Char('.') + QStringLiteral("%1").arg(scaled % unit, decimals, 10, QLatin1Char('0'));
    }
    if (separator != QLatin1Char('.'))
        number.replace(QLatin1Char('.'), separator);
    return sign + number;
}

QString GetTemperFormat(double dTemper, int nFormat)
{
    static const char16_t* const kSuffix[] = {u"", u"°", u" °", u"°C", u" °C"};
    const int p = nFormat > 4 ? nFormat - 4 : nFormat + 1;
    QString text = signedTemperature(dTemper, nFormat > 4 ? 0 : 1, QLatin1Char('.'));
    if (p >= 1 && p <= 5)
        text += QString::fromUtf16(kSuffix[p - 1]);
    return text;
}

FormatMenu SetTemperFormat(double dTemper, int nTmprFrmt)
{
    FormatMenu menu;
    for (int i = 0; i < kTemperFormatCount; ++i)
        menu.captions.append(GetTemperFormat(dTemper, i));
    menu.checked = nTmprFrmt >= 0 && nTmprFrmt < kTemperFormatCount ? nTmprFrmt : -1;
    return menu;
}

QString temperatureTooltip(double temperature, DateTime time, const Regional& regional)
{
    const QDateTime dt = time.toQDateTime();
    return signedTemperature(temperature, 1, regional.decimalSeparator()) + QStringLiteral(" °C\r\n")
        + dt.toString(QCoreApplication::translate("TemperatureText", "d.MM.yyyy в HH")) + regional.timeSeparator()
        + dt.toString(QStringLiteral("mm"));
}

} // namespace tb
