#pragma once

#include "OverlayStyle.h"
#include "StaleMark.h"

#include <QImage>
#include <QPoint>
#include <QString>

namespace tb {

// The borderless window that shows the drawn overlay.
class IndicatorView {
public:
    virtual ~IndicatorView() = default;
    // Shows the canvas (premultiplied ARGB) at its own size, blended with the constant alpha.
    virtual void showCanvas(const QImage& canvas, int constantAlpha) = 0;
    virtual void setShown(bool visible) = 0;
    virtual bool isShown() const = 0;
    virtual void moveTo(QPoint topLeft) = 0;
    virtual QPoint position() const = 0;
    // Keeps the window above others or not, without moving or resizing it.
    virtual void setOnTop(bool on) = 0;
};

// One drawing of the overlay: picture, colour adjustment, text passes and marker.
struct DrawOutcome {
    bool drawn = false;        // a canvas was produced; otherwise the window keeps its content
    bool fontReplaced = false; // the font family was missing and "Arial" took its place
    QImage canvas;
};
class OverlayDrawing {
public:
    virtual ~OverlayDrawing() = default;
    // Draws with the picture file `file` (read anew), or with the bytes kept from the last
    // file when `file` is empty.
    virtual DrawOutcome draw(const QString& file, OverlayStyle& style, const PicAdjust& adjust, const StaleMark& mark) = 0;
};

// The notification-area icon.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual void TrayIconShow(bool add) = 0;
    virtual void TrayIconTip(const QString& tip) = 0;
    virtual void UpdateTrayIcon(double temperature) = 0;
};

// Saved window positions.
class WindowPlacement {
public:
    virtual ~WindowPlacement() = default;
    // The saved position of the key, or `fallback` when none is saved.
    virtual QPoint LoadPos(const QString& key, QPoint fallback) = 0;
    virtual void SavePos(const QString& key, QPoint position) = 0;
};

// The dialogs and the add-on the main window opens or talks to.
class MainWindowCompanions {
public:
    virtual ~MainWindowCompanions() = default;
    // Opens the options dialog without waiting for it.
    virtual void mnuOptions_Click() = 0;
    // Sends a text to the linked add-on (nothing when none is linked).
    virtual void SendText(const QString& text) = 0;
};

} // namespace tb
