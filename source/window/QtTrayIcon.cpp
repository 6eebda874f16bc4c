#include "window/QtTrayIcon.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace tb {

namespace {

// The tip as the notification area keeps it: at most kTipLimit characters, never cutting a
// character outside the basic plane in half.
QString cutTip(const QString& tip)
{
    int units = 0;
    for (int chars = 0; units < tip.size() && chars < QtTrayIcon::kTipLimit; ++chars)
        units += tip.at(units).isHighSurrogate() && units + 1 < tip.size() && tip.at(units + 1).isLowSurrogate() ? 2 : 1;
    return tip.left(units);
}

} // namespace

QtTrayIcon::QtTrayIcon(QIcon programIcon, QMenu* contextMenu)
    : programIcon_(std::move(programIcon))
    , menu_(contextMenu)
    , icon_(programIcon_)
{
    createSystemIcon();
    poll_.setInterval(kTrayPollMs);
    poll_.setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(&poll_, &QTimer::timeout, [this] { checkAvailability(); });
    // On X11 the platform reports a tray manager that comes or goes, so no polling is needed to
    // see a tray go away. The signal lives in the xcb plugin only and is looked up by name. The
    // native interface's class is not in Qt's public headers; it derives from QObject alone,
    // so its address is that of its QObject.
    if (auto* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
        native && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0) {
        trayWindowChanged_.setSingleShot(true);
        trayWindowChanged_.setInterval(0);
        QObject::connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), &trayWindowChanged_, SLOT(start()));
        QObject::connect(&trayWindowChanged_, &QTimer::timeout, [this] { checkAvailability(); });
    }
    available_ = QSystemTrayIcon::isSystemTrayAvailable();
    if (available_)
        qCInfo(lcTray) << "a tray is on the desktop";
    else {
        qCInfo(lcTray) << "no tray on the desktop yet: the program runs without one and shows its icon once one appears";
        poll_.start();
    }
}

QtTrayIcon::~QtTrayIcon() = default;

void QtTrayIcon::createSystemIcon()
{
    // The old icon leaves the tray before the new one comes, so the tray never shows two.
    tray_.reset();
    tray_ = std::make_unique<QSystemTrayIcon>(icon_);
    tray_->setToolTip(tip_);
    if (menu_)
        tray_->setContextMenu(menu_);
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
        // A tray host reports a click, not where it was: the pointer is there now.
        int message = 0;
        if (reason == QSystemTrayIcon::Trigger)
            message = kTrayLeftButtonDown;
        else if (reason == QSystemTrayIcon::Context)
            message = kTrayRightButtonUp;
        if (message != 0 && onEvent)
            onEvent(message, QCursor::pos());
    });
    tray_->setVisible(shown_);
}

void QtTrayIcon::TrayIconShow(bool add)
{
    shown_ = add;
    if (add) {
        icon_ = programIcon_;
        tip_.clear();
        tray_->setIcon(icon_);
        tray_->setToolTip(tip_);
    }
    tray_->setVisible(add);
}

void QtTrayIcon::TrayIconTip(const QString& tip)
{
    tip_ = cutTip(tip);
    tray_->setToolTip(tip_);
}

void QtTrayIcon::UpdateTrayIcon(double temperature, const TrayLook& look)
{
    icon_ = look.TrCif ? trayDigitsIcon(temperature, look) : programIcon_;
    tray_->setIcon(icon_);
}

bool QtTrayIcon::available() const
{
    return available_;
}

void QtTrayIcon::checkAvailability()
{
    const bool now = QSystemTrayIcon::isSystemTrayAvailable();
    if (now == available_)
        return;
    available_ = now;
    if (now) {
        poll_.stop();
        qCInfo(lcTray) << "a tray appeared on the desktop";
        // Qt chooses between the D-Bus and the XEmbed tray when its icon is made, and an icon
        // made without a tray may never be placed: a new one goes to the tray that is there.
        createSystemIcon();
    } else {
        qCInfo(lcTray) << "the tray went away";
        poll_.start();
    }
    if (onAvailableChanged)
        onAvailableChanged(now);
}

} // namespace tb
