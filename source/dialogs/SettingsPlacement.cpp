#include "dialogs/SettingsPlacement.h"

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

QPoint SettingsPlacement::LoadPos(OptionKey key, QPoint fallback)
{
    const QString name = optionName(key);
    const auto text = store_.value(name);
    if (!text)
        return fallback;
    const auto p = StrToPos(*text, regional_);
    if (!p) {
        qCWarning(lcPlacement) << "stored position" << name << "=" << *text << "is not left|top - window left where it is";
        return fallback;
    }
    return *p;
}

void SettingsPlacement::SavePos(OptionKey key, QPoint position)
{
    store_.setValue(optionName(key), PosToStr(position, regional_));
}

} // namespace tb
