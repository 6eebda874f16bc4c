#pragma once

#include "app/MainWindowParts.h"

#include <QLoggingCategory>

namespace tb {

Q_DECLARE_LOGGING_CATEGORY(lcAbsentParts)

// No notification-area icon and no tray: for drawing without a desktop (snapshots, benchmarks).
class NoTrayIcon final : public TrayIcon {
public:
    void TrayIconShow(bool) override {}
    void TrayIconTip(const QString&) override {}
    void UpdateTrayIcon(double, const TrayLook&) override {}
    bool available() const override { return false; }
};

// No pop-up menu: for drawing without a desktop.
class NoPopupMenu final : public PopupMenu {
public:
    void popupAt(QPoint) override {}
    bool isOpen() const override { return false; }
    void setState(const MenuState&) override {}
};

// No dialogs and no add-on: for drawing without a desktop. Asking for one is logged.
class NoCompanions final : public MainWindowCompanions {
public:
    void mnuOptions_Click() override { qCInfo(lcAbsentParts) << "no dialogs here: options not opened"; }
    void showTownChooser() override { qCInfo(lcAbsentParts) << "no dialogs here: town chooser not opened"; }
    bool townChosen() const override { return true; }
    void SendText(const QString& text) override { qCDebug(lcAbsentParts) << "no add-on linked; not sent:" << text; }
    void showSlider() override { qCInfo(lcAbsentParts) << "no dialogs here: panel not opened"; }
    void focusSlider() override {}
    void showAbout() override { qCInfo(lcAbsentParts) << "no dialogs here: about box not opened"; }
    void mnuSelectSkin_Click() override { qCInfo(lcAbsentParts) << "no add-on here"; }
    qint32 CheckOptDll(qint32) override { return 0; }
    void quit() override {}
};

// Keeps the last canvas instead of showing a window: for --snapshot.
class SnapshotView final : public IndicatorView {
public:
    explicit SnapshotView(qreal ratio = 1.0) : ratio_(ratio) {}
    void showCanvas(const QImage& canvas, int alpha) override
    {
        this->canvas = canvas;
        constantAlpha = alpha;
    }
    void setShown(bool) override {}
    bool isShown() const override { return false; }
    void moveTo(QPoint) override {}
    QPoint position() const override { return {}; }
    void setOnTop(bool) override {}
    qreal devicePixelRatio() const override { return ratio_; }
    QImage canvas;
    int constantAlpha = 255;

private:
    qreal ratio_;
};

} // namespace tb
