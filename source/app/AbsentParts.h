#pragma once

#include "MainWindowParts.h"

#include <QLoggingCategory>

namespace tb {

Q_DECLARE_LOGGING_CATEGORY(lcAbsentParts)

// No notification-area icon: the program runs without one (the window's own menu and keys
// stay available).
class NoTrayIcon final : public TrayIcon {
public:
    void TrayIconShow(bool) override {}
    void TrayIconTip(const QString&) override {}
    void UpdateTrayIcon(double) override {}
};

// No options dialog and no add-on link in this build yet: asking for them is logged.
class NoCompanions final : public MainWindowCompanions {
public:
    void mnuOptions_Click() override { qCInfo(lcAbsentParts) << "the options dialog is not part of this build yet"; }
    void SendText(const QString& text) override { qCDebug(lcAbsentParts) << "no add-on linked; not sent:" << text; }
};

// Keeps the last canvas instead of showing a window: for --snapshot.
class SnapshotView final : public IndicatorView {
public:
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
    QImage canvas;
    int constantAlpha = 255;
};

} // namespace tb
