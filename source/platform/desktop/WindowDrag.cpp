#include "platform/desktop/WindowDrag.h"

#include "platform/desktop/DesktopCompositor.h"

#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>

namespace tb {

namespace {

// Moves the X window by `by` logical pixels behind Qt's back: Qt keeps the old position until
// the X server reports the new one.
void moveNativeWindowBy(QWindow* window, QPoint by)
{
    xcb_connection_t* c = x11Connection();
    if (!c || by.isNull())
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, id, root, 0, 0), nullptr);
    if (!at)
        return;
    const qreal ratio = window->devicePixelRatio();
    const int32_t to[] = {at->dst_x + static_cast<int32_t>(std::lround(by.x() * ratio)),
                          at->dst_y + static_cast<int32_t>(std::lround(by.y() * ratio))};
    std::free(at);
    xcb_configure_window(c, id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, to);
    xcb_flush(c);
}

} // namespace

bool startWindowMove(QWidget* window, QPoint pressAt, QPoint pointerAt)
{
    QWindow* handle = window ? window->windowHandle() : nullptr;
    if (!handle)
        return false;
    // The window manager moves the window by how far the pointer goes from where it is when
    // the move starts, so a move that starts past the drag distance would leave the window
    // trailing the pointer by that distance. On X11 the window first catches up with the
    // pointer. It is moved natively, not with QWidget::move(): Qt hands the window manager the
    // pointer's position computed from the window position it knows, which must still be the
    // one the pointer was last seen over.
    if (onX11())
        moveNativeWindowBy(handle, pointerAt - pressAt);
    return handle->startSystemMove();
}

} // namespace tb
