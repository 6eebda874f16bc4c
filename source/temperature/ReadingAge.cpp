#include "temperature/ReadingAge.h"

#include <algorithm>

namespace tb {

QString DifTimeText(DateTime time, DateTime now)
{
    const std::int64_t m = std::max<std::int64_t>(minuteBoundaries(time, now), 0);
    const std::int64_t d = m / 1440, h = (m / 60) % 24, n = m % 60;
    const QString hm = QString::number(h) + QLatin1Char(':') + QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    if (d > 0)
        return QString::number(d) + QStringLiteral("д. ") + hm;
    return hm;
}

} // namespace tb
