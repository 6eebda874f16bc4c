#include "platform/desktop/ScreenRescue.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace tb {

Q_LOGGING_CATEGORY(lcScreens, "thermobadge.screens", QtInfoMsg)

namespace {

// Squared distance between two rectangles (0 when they touch or overlap).
qint64 distance2(QRect a, QRect b)
{
    const qint64 dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const qint64 dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

std::optional<QPoint> rescuePosition(QRect frame, const QList<QRect>& screens)
{
    if (screens.isEmpty() || std::any_of(screens.begin(), screens.end(), [&](QRect s) { return s.intersects(frame); }))
        return std::nullopt;
    const QRect* nearest = nullptr;
    qint64 best = std::numeric_limits<qint64>::max();
    for (const QRect& s : screens)
        if (const qint64 d = distance2(frame, s); d < best) {
            best = d;
            nearest = &s;
        }
    const QRect& s = *nearest;
    const int x = std::max(s.left(), std::min(frame.left(), s.right() + 1 - frame.width()));
    const int y = std::max(s.top(), std::min(frame.top(), s.bottom() + 1 - frame.height()));
    return QPoint(x, y);
}

ScreenRescue::ScreenRescue()
{
    for (QScreen* s : QGuiApplication::screens())
        watch(s);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* s) { watch(s); });
    // The screen list is settled once the removal has been handled everywhere.
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] { QTimer::singleShot(0, this, [this] { check(); }); });
}

void ScreenRescue::watch(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, [this] { check(); });
}

void ScreenRescue::check()
{
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens.append(s->geometry());
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || (w->windowType() == Qt::Popup))
            continue;
        const QRect frame = w->frameGeometry();
        if (const auto to = rescuePosition(frame, screens)) {
            qCWarning(lcScreens) << "window" << w->windowTitle() << "at" << frame.topLeft() << "was left outside every screen - moved to" << *to;
            w->move(*to); // a window's position is that of its frame
        }
    }
}

} // namespace tb
