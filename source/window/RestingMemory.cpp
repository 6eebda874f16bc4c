#include "window/RestingMemory.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace tb {

RestingMemory::RestingMemory(const QWidget* indicator, std::function<void()> trim, std::chrono::milliseconds rest)
    : indicator_(indicator)
    , trim_(std::move(trim))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::CoarseTimer);
    timer_.setInterval(rest);
    connect(&timer_, &QTimer::timeout, this, &RestingMemory::rested);
    qApp->installEventFilter(this);
    timer_.start();
}

bool RestingMemory::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() && watched != indicator_)
        timer_.start();
    return false;
}

void RestingMemory::rested()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget* w : windows) {
        // A dialog, a panel or a menu the user may come back to; the borderless ones (the
        // indicator, the tray's icon, a tooltip) are there all the time or go by themselves.
        const bool inUse = w->windowType() == Qt::Popup || !w->windowFlags().testFlag(Qt::FramelessWindowHint);
        if (w != indicator_ && w->isVisible() && inUse)
            return; // its hiding starts the wait again
    }
    trim_();
}

} // namespace tb
