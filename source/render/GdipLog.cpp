#include "render/GdipLog.h"

#include "render/RenderLog.h"

#include <cstdlib>

namespace tb {

std::int32_t GdipLog::GdipCheck(std::int32_t status, const char* reason)
{
    if (status != gdip::Ok)
        GdipLogError(status, reason);
    return status;
}

void GdipLog::GdipLogError(std::int32_t status, const char* reason)
{
    const QString line = formatLine(clock_.now(), stage_, status);
    if (reason)
        qCWarning(lcRender).noquote() << line.trimmed() << "-" << reason;
    else
        qCWarning(lcRender).noquote() << line.trimmed();
    if (sink_)
        sink_->showAndMaybeAppend(line);
}

QString GdipLog::formatLine(DateTime when, qint16 stage, std::int32_t status)
{
    // Fixed separators whatever the locale: the list has always read "d.mm.yyyy h:nn:ss".
    const QDateTime t = when.toQDateTime();
    const QDate d = t.date();
    const QTime tm = t.time();
    const QString stamp = QStringLiteral("%1.%2.%3 %4:%5:%6")
                              .arg(d.day())
                              .arg(d.month(), 2, 10, QLatin1Char('0'))
                              .arg(d.year(), 4, 10, QLatin1Char('0'))
                              .arg(tm.hour())
                              .arg(tm.minute(), 2, 10, QLatin1Char('0'))
                              .arg(tm.second(), 2, 10, QLatin1Char('0'));
    // The stage as "00-000": five digits with a dash after the first two; a negative stage
    // keeps its sign in front.
    const int s = stage;
    const int magnitude = std::abs(s);
    const QString stageText = QStringLiteral("%1%2-%3")
                                  .arg(s < 0 ? QStringLiteral("-") : QString())
                                  .arg(magnitude / 1000, 2, 10, QLatin1Char('0'))
                                  .arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
    return stamp + QStringLiteral(" ==> Error=") + stageText + QStringLiteral(" (ErrReturn=") + QString::number(status)
        + QStringLiteral(")\r\n");
}

} // namespace tb
