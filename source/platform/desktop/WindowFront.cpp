#include "platform/desktop/WindowFront.h"

#include <QLoggingCategory>
#include <QWidget>

namespace tb {

Q_LOGGING_CATEGORY(lcWindowFront, "thermobadge.front", QtInfoMsg)

void unminimise(QWidget* window)
{
    if (!window || !window->isMinimized())
        return;
    // Clearing the state maps the window again on X11 (ICCCM: a client restores an iconic
    // window by mapping it); the window manager then brings back its whole transient group.
    qCDebug(lcWindowFront) << window << "brought back from minimised";
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
}

void bringToFront(QWidget* window)
{
    if (!window)
        return;
    unminimise(window);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace tb
