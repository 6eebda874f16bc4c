#pragma once

#include "app/MainWindowParts.h"

#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace tb {

class CompositorWatch;

// The borderless indicator window: shows the drawn overlay at its own size with per-pixel
// alpha and a constant alpha for the whole window. It stays out of the task bar, is dragged
// with any mouse button once the pointer has moved past the drag distance (a click without
// movement stays a click), and ends the program with Escape or the window manager's close
// command. The canvas may be drawn at the screen's device pixel ratio; the window keeps the
// canvas's logical size. Where the desktop cannot blend
// (X11 without a compositing manager) it cuts a shape from the alpha channel instead, so
// transparent parts stay holes, and goes back to blending when a compositor appears.
class IndicatorWindow final : public QWidget, public IndicatorView {
public:
    IndicatorWindow();
    ~IndicatorWindow() override;

    void showCanvas(const QImage& canvas, int constantAlpha) override;
    // Showing also brings the window back from minimised (the window manager minimises it
    // with a minimised modal panel).
    void setShown(bool visible) override;
    // Visible and not minimised: a minimised window is not on the screen.
    bool isShown() const override { return isVisible() && !isMinimized(); }
    void moveTo(QPoint topLeft) override { move(topLeft); }
    QPoint position() const override { return pos(); }
    void setOnTop(bool on) override;
    void activate() override;
    void setSticky(bool on) override { sticky_ = on; }
    qreal devicePixelRatio() const override { return devicePixelRatioF(); }

    const QImage& canvas() const { return canvas_; }
    bool usesShapeMask() const { return shaped_; }
    // The part of the window that is there while it uses a shape (logical pixels).
    const QRegion& shape() const { return shape_; }
    // Tells the window whether the desktop blends translucent windows now (the window also
    // finds out by itself on X11).
    void setCompositorRunning(bool running);

    std::function<void()> onEscape;      // the program's exit (Escape, the close command)
    std::function<void(QPoint)> onMenu;  // right button released at a global position, not dragged
    std::function<void()> onDoubleClick; // left button double-clicked

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void applyBlending();
    void applyShape();

    QImage canvas_;
    QRegion shape_;
    QPoint pressAt_;         // global position of the press that may become a drag
    bool pressed_ = false;
    bool dragged_ = false;
    bool shaped_ = false;
    bool sticky_ = true;
    bool compositor_ = true;
    // The on-top state changed while the native window existed: Qt would make a new one at
    // the next showing, after the show event and without the gadget hints (see setShown).
    bool nativeWindowStale_ = false;
    std::unique_ptr<CompositorWatch> compositorWatch_;
    QTimer compositorPoll_; // only where the X server cannot report the changes
};

} // namespace tb
