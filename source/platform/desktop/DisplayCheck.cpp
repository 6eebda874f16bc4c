#include "platform/desktop/DisplayCheck.h"

#include <xcb/xcb.h>

namespace tb {

QString missingDisplay()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM").section(QLatin1Char(':'), 0, 0).trimmed();
    const bool hasX = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool hasWayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // Platforms that need no display server of the user's (offscreen, frame buffers, VNC).
    if (!platform.isEmpty() && platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland")))
        return {};
    if (platform.startsWith(QLatin1String("wayland")))
        return hasWayland ? QString() : QStringLiteral("no Wayland display found (WAYLAND_DISPLAY is not set)");
    if (!hasX) {
        if (platform.isEmpty() && hasWayland)
            return {};
        return QStringLiteral("no display found");
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(c) != 0;
    xcb_disconnect(c);
    if (failed)
        return QStringLiteral("cannot open the display %1").arg(qEnvironmentVariable("DISPLAY"));
    return {};
}

} // namespace tb
