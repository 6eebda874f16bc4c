#pragma once

#include "app/MainWindowParts.h"

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace tb {

// The notification-area icon on Qt's system tray: a StatusNotifierItem over D-Bus where the
// desktop has a watcher, an XEmbed icon otherwise. The program runs without a tray; the icon
// shows up as soon as one appears.
class QtTrayIcon final : public TrayIcon {
public:
    // `programIcon` is shown in the classic mode and when the icon is added; `contextMenu` (not
    // owned) is the menu a tray host may open by itself, over D-Bus or on a right click.
    QtTrayIcon(QIcon programIcon, QMenu* contextMenu);
    ~QtTrayIcon() override;

    void TrayIconShow(bool add) override;
    void TrayIconTip(const QString& tip) override;
    void UpdateTrayIcon(double temperature, const TrayLook& look) override;
    bool available() const override;

    // The Qt icon that currently stands for this one (it is replaced when a tray appears).
    QSystemTrayIcon& systemTrayIcon() const { return *tray_; }
    // How often the desktop is asked for a tray while it has none.
    static constexpr int kTrayPollMs = 2000;
    // The most characters a tip keeps.
    static constexpr int kTipLimit = 64;

private:
    // Makes a new Qt icon with the current picture, tip and menu, shown when ours is.
    void createSystemIcon();
    // Asks the desktop whether it has a tray and reports a change.
    void checkAvailability();

    QIcon programIcon_;
    QPointer<QMenu> menu_;
    QIcon icon_;
    QString tip_;
    bool shown_ = false;
    bool available_ = false;
    std::unique_ptr<QSystemTrayIcon> tray_;
    QTimer poll_;
    QTimer trayWindowChanged_;
};

} // namespace tb
