#include "platform/desktop/OnTop.h"

#include <QLoggingCategory>
#include <QWidget>
#include <QWindow>

namespace tb {

Q_LOGGING_CATEGORY(lcOnTop, "thermobadge.ontop", QtInfoMsg)

void SetOnTop(bool on, QWidget* window)
{
    if (!window || !window->isWindow()) {
        qCWarning(lcOnTop) << "not a window, the on-top state is left alone:" << window;
        return;
    }
    Qt::WindowFlags flags = window->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    QWindow* handle = window->windowHandle();
    if (!handle) {
        // No native window yet: the flag takes effect when it is made.
        window->setWindowFlags(flags);
        return;
    }
    // QWidget::setWindowFlags() would destroy and remake the native window: it is unmapped,
    // and on X11 the window manager places the new one afresh (a framed window moves by its
    // frame). Changing the flags of the existing native window keeps it where it is, as it is;
    // the widget's own copy of the flags is brought in line without touching the window.
    window->overrideWindowFlags(flags);
    handle->setFlags(flags);
    qCDebug(lcOnTop) << window << (on ? "kept above other windows" : "no longer kept above other windows");
}

} // namespace tb
