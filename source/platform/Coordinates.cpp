#include "platform/Coordinates.h"

#include <QStringList>

#include <cmath>

namespace tb {

std::optional<double> parseDegrees(const QString& text, double limit)
{
    const QString trimmed = text.trimmed();
    // toDouble() would also take "inf", "nan" and "1e2": a place is written in plain decimals.
    for (QChar c : trimmed)
        if (!c.isDigit() && c != u'.' && c != u'-' && c != u'+')
            return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < -limit || value > limit)
        return std::nullopt;
    return value == 0 ? 0.0 : value; // no "-0"
}

std::optional<Coordinates> parseCoordinates(const QString& text, QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<Coordinates> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QStringList parts = text.split(u',');
    if (parts.size() != 2)
        return fail(QStringLiteral("\"%1\" is not LAT,LON: two decimal numbers with a \".\" point, "
                                   "separated by one comma, such as 55.7558,37.6173")
                        .arg(text));
    const auto latitude = parseDegrees(parts[0], 90);
    if (!latitude)
        return fail(QStringLiteral("the latitude \"%1\" is not a number from -90 to 90").arg(parts[0].trimmed()));
    const auto longitude = parseDegrees(parts[1], 180);
    if (!longitude)
        return fail(QStringLiteral("the longitude \"%1\" is not a number from -180 to 180").arg(parts[1].trimmed()));
    return Coordinates {*latitude, *longitude};
}

QString degreesText(double degrees, int decimals)
{
    QString text = QString::number(degrees, 'f', decimals);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString coordinatesText(const Coordinates& place)
{
    return degreesText(place.latitude) + u',' + degreesText(place.longitude);
}

} // namespace tb
