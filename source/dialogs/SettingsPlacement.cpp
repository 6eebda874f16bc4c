#include "SettingsPlacement.h"

#include <QLoggingCategory>

#include <cmath>

namespace tb {

Q_LOGGING_CATEGORY(lcPlacement, "thermobadge.placement", QtWarningMsg)

QString SettingsPlacement::PosToStr(QPoint p, const Regional& regional)
{
    return regional.formatNumber(p.x()) + QLatin1Char('|') + regional.formatNumber(p.y());
}

std::optional<QPoint> SettingsPlacement::StrToPos(const QString& text, const Regional& regional)
{
    const QStringList parts = text.split(QLatin1Char('|'));
    if (parts.size() < 2)
        return std::nullopt;
    const auto x = regional.parseNumber(parts[0]);
    const auto y = regional.parseNumber(parts[1]);
    if (!x || !y || std::fabs(*x) > 1e6 || std::fabs(*y) > 1e6)
        return std::nullopt;
    return QPoint(static_cast<int>(std::lround(*x)), static_cast<int>(std::lround(*y)));
}

QPoint SettingsPlacement::LoadPos(const QString& key, QPoint fallback)
{
    const auto text = store_.value(key);
    if (!text)
        return fallback;
    const auto p = StrToPos(*text, regional_);
    if (!p) {
        qCWarning(lcPlacement) << "stored position" << key << "=" << *text << "is not left|top - window left where it is";
        return fallback;
    }
    return *p;
}

void SettingsPlacement::SavePos(const QString& key, QPoint position)
{
    store_.setValue(key, PosToStr(position, regional_));
}

} // namespace tb
