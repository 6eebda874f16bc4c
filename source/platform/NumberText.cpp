#include "platform/NumberText.h"

#include <QByteArray>

#include <algorithm>
#include <charconv>

namespace tb {

QString CommaToDot(QString s)
{
    const auto i = s.indexOf(QLatin1Char(','));
    if (i >= 0)
        s[i] = QLatin1Char('.');
    return s;
}

QString DotToComma(QString s)
{
    const auto i = s.indexOf(QLatin1Char('.'));
    if (i >= 0)
        s[i] = QLatin1Char(',');
    return s;
}

std::optional<double> LenientVal(QStringView text)
{
    QByteArray plain;
    bool sign = true, point = false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n' || u == u'\r')
            continue;
        if (sign && (u == u'-' || u == u'+')) {
            if (u == u'-')
                plain += '-';
            sign = false;
            continue;
        }
        sign = false;
        if (u >= u'0' && u <= u'9') {
            plain += static_cast<char>(u);
        } else if (u == u'.' && !point) {
            plain += '.';
            point = true;
        } else {
            break;
        }
    }
    // A lone sign or point is no number at all, which reads as 0.
    if (plain.isEmpty() || plain == "-" || plain == "." || plain == "-.")
        return 0.0;
    const char* b = plain.constData();
    const char* e = b + plain.size();
    double v = 0;
    const auto [end, ec] = std::from_chars(b, e, v);
    if (ec == std::errc::result_out_of_range) {
        // Without an exponent only a zero whole part can be too small to represent: that is 0.
        const QByteArray whole = plain.left(plain.indexOf('.') < 0 ? plain.size() : plain.indexOf('.'));
        const bool wholeIsZero = std::all_of(whole.begin(), whole.end(), [](char ch) { return ch == '0' || ch == '-'; });
        if (wholeIsZero)
            return 0.0;
        return std::nullopt;
    }
    if (ec != std::errc() || end != e || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace tb
