#include "StatusNotifierWatcher.h"

namespace tb::test {

bool StatusNotifierWatcher::publish(QDBusConnection bus)
{
    return bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
               QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals | QDBusConnection::ExportAllProperties)
        && bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString& service)
{
    items_.append(service);
    Q_EMIT StatusNotifierItemRegistered(service);
}

void StatusNotifierWatcher::RegisterStatusNotifierHost(const QString&)
{
    Q_EMIT StatusNotifierHostRegistered();
}

} // namespace tb::test
