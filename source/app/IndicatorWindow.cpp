#include "IndicatorWindow.h"

#include "DesktopCompositor.h"

#include <QBitmap>
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
    // A compositing manager may start or stop while the program runs.
    compositorWatch_.setInterval(3000);
    connect(&compositorWatch_, &QTimer::timeout, this, [this] { setCompositorRunning(compositorRunning()); });
    if (onX11())
        compositorWatch_.start();
}

void IndicatorWindow::showCanvas(const QImage& canvas, int constantAlpha)
{
    canvas_ = canvas;
    setFixedSize(canvas_.size().expandedTo(QSize(1, 1)));
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
        if (shaped_)
            clearMask();
        shaped_ = false;
        return;
    }
    // No blending: every pixel with any alpha belongs to the window, the rest is a hole.
    setMask(QBitmap::fromImage(canvas_.createAlphaMask(Qt::MonoOnly | Qt::ThresholdDither)));
    shaped_ = true;
}

void IndicatorWindow::setOnTop(bool on)
{
    // Changing the flags hides the window; show it again where it was.
    const bool wasVisible = isVisible();
    const QPoint at = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    move(at);
    if (wasVisible)
        show();
}

void IndicatorWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    if (!canvas_.isNull())
        p.drawImage(0, 0, canvas_);
}

void IndicatorWindow::mousePressEvent(QMouseEvent* e)
{
    if (windowHandle())
        windowHandle()->startSystemMove();
    e->accept();
}

void IndicatorWindow::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton && onMenu)
        onMenu(e->globalPosition().toPoint());
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
