#include "window/IndicatorWindow.h"

#include "platform/desktop/DesktopCompositor.h"
#include "platform/desktop/GadgetHints.h"
#include "platform/desktop/OnTop.h"
#include "platform/desktop/WindowDrag.h"
#include "platform/desktop/WindowFront.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace tb {

Q_LOGGING_CATEGORY(lcIndicatorWindow, "thermobadge.indicator", QtInfoMsg)

IndicatorWindow::IndicatorWindow()
{
    // Qt::Tool keeps the window out of the task bar; the attribute gives it an alpha channel.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("ThermoBadge"));
    compositor_ = compositorRunning();
    // A compositing manager may start or stop while the program runs. The X server says so;
    // without XFixes the selection is looked at every 3 s, on the whole seconds the program's
    // one-second clocks wake it anyway.
    compositorWatch_ = std::make_unique<CompositorWatch>([this](bool running) { setCompositorRunning(running); });
    if (onX11() && !compositorWatch_->listening()) {
        compositorPoll_.setTimerType(Qt::VeryCoarseTimer);
        compositorPoll_.setInterval(3000);
        connect(&compositorPoll_, &QTimer::timeout, this, [this] { setCompositorRunning(compositorRunning()); });
        compositorPoll_.start();
    }
}

IndicatorWindow::~IndicatorWindow() = default;

void IndicatorWindow::showCanvas(const QImage& canvas, int constantAlpha)
{
    canvas_ = canvas;
    setFixedSize(canvas_.deviceIndependentSize().toSize().expandedTo(QSize(1, 1)));
    setWindowOpacity(constantAlpha / 255.0);
    applyBlending();
    update();
}

void IndicatorWindow::setCompositorRunning(bool running)
{
    if (running == compositor_)
        return;
    compositor_ = running;
    qCInfo(lcIndicatorWindow) << (running ? "the desktop blends windows now: per-pixel alpha" : "no compositing manager: transparent parts cut out");
    applyBlending();
}

void IndicatorWindow::applyBlending()
{
    if (compositor_ || canvas_.isNull()) {
        const bool wasShaped = shaped_;
        shaped_ = false;
        shape_ = QRegion();
        if (wasShaped)
            applyShape();
        return;
    }
    // No blending: every pixel with any alpha belongs to the window, the rest is a hole. The
    // shape is in logical pixels; a canvas drawn at a higher pixel ratio is brought down first.
    const QImage logical = canvas_.devicePixelRatio() == 1.0 ? canvas_ : canvas_.scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    shape_ = QRegion(QBitmap::fromImage(logical.createAlphaMask(Qt::MonoOnly | Qt::ThresholdDither)));
    shaped_ = true;
    applyShape();
}

void IndicatorWindow::applyShape()
{
    // The shape goes to the native window alone. As a widget mask it would also clip every
    // paint to its many rectangles, turning the plain copy of the canvas into a blend that Qt
    // spreads over helper threads.
    if (QWindow* window = windowHandle())
        window->setMask(shape_);
}

bool IndicatorWindow::event(QEvent* e)
{
    // A native window made anew (the window flags changed, say) starts without a shape.
    if (e->type() == QEvent::WinIdChange && shaped_)
        QTimer::singleShot(0, this, [this] { applyShape(); });
    return QWidget::event(e);
}

void IndicatorWindow::setOnTop(bool on)
{
    if (windowHandle() && windowHandle()->handle() && windowFlags().testFlag(Qt::WindowStaysOnTopHint) != on)
        nativeWindowStale_ = true;
    SetOnTop(on, this);
}

void IndicatorWindow::setShown(bool visible)
{
    if (visible && !isVisible() && nativeWindowStale_ && windowHandle()) {
        // Qt's X11 layer makes a new native window when a window whose on-top flag changed is
        // shown again, inside the showing and after the show event: the new one is mapped
        // without the gadget hints (in task bars, on one workspace) and placed afresh. Made
        // anew here instead, while hidden, it is created by the show event's hints with the
        // window's position and flags, and the showing maps it as it is.
        windowHandle()->destroy();
        qCDebug(lcIndicatorWindow) << "native window made anew for the changed on-top state";
    }
    nativeWindowStale_ = nativeWindowStale_ && !visible;
    if (visible)
        unminimise(this);
    setVisible(visible);
}

void IndicatorWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // The canvas covers the window as a rule; a plain copy of it is then the whole paint.
    if (canvas_.isNull() || canvas_.deviceIndependentSize() != QSizeF(size()))
        p.fillRect(rect(), Qt::transparent);
    if (!canvas_.isNull())
        p.drawImage(0, 0, canvas_);
}

void IndicatorWindow::showEvent(QShowEvent* e)
{
    // A desktop gadget: on every workspace (unless asked otherwise), out of task bars and
    // pagers. Window managers forget these when a window is hidden, so every showing sets them.
    applyGadgetHints(this, sticky_);
    QWidget::showEvent(e);
    if (shaped_)
        applyShape();
}

void IndicatorWindow::activate() { bringToFront(this); }

void IndicatorWindow::mousePressEvent(QMouseEvent* e)
{
    // Not a move yet: a press released where it began is a click.
    pressAt_ = e->globalPosition().toPoint();
    pressed_ = true;
    dragged_ = false;
    e->accept();
}

void IndicatorWindow::mouseMoveEvent(QMouseEvent* e)
{
    if (pressed_ && !dragged_ && e->buttons() != Qt::NoButton &&
        (e->globalPosition().toPoint() - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
        dragged_ = true;
        // The window manager moves the window from here until the button is released,
        // following the pointer from where the button went down.
        if (!startWindowMove(this, pressAt_, e->globalPosition().toPoint()))
            qCInfo(lcIndicatorWindow) << "the platform cannot move the window for us";
    }
    e->accept();
}

void IndicatorWindow::mouseReleaseEvent(QMouseEvent* e)
{
    const bool click = !dragged_;
    pressed_ = false;
    dragged_ = false;
    if (click && e->button() == Qt::RightButton && onMenu)
        onMenu(e->globalPosition().toPoint());
    e->accept();
}

void IndicatorWindow::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press may still become a drag, like any press.
    mousePressEvent(e);
    if (e->button() == Qt::LeftButton && onDoubleClick)
        onDoubleClick();
}

void IndicatorWindow::closeEvent(QCloseEvent* e)
{
    // The window manager's close command, Alt+F4 and the end of the session end the program
    // in order, as the menu's exit does.
    if (onEscape)
        onEscape();
    e->accept();
}

void IndicatorWindow::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && onEscape) {
        onEscape();
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace tb
