#include "platform/desktop/DesktopCompositor.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <string>

namespace tb {

Q_LOGGING_CATEGORY(lcDesktop, "thermobadge.desktop", QtInfoMsg)

namespace {

// The compositing manager's selection of screen 0, or XCB_NONE.
xcb_atom_t compositorSelection(xcb_connection_t* c)
{
    const std::string name = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t out = atom ? atom->atom : XCB_NONE;
    std::free(atom);
    return out;
}

} // namespace

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

xcb_connection_t* x11Connection()
{
    if (!onX11())
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

bool compositorRunning()
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return true;
    const xcb_atom_t atom = compositorSelection(c);
    if (atom == XCB_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom), nullptr);
    const bool running = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return running;
}

CompositorWatch::CompositorWatch(std::function<void(bool running)> changed)
    : changed_(std::move(changed))
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return;
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        qCInfo(lcDesktop) << "the X server has no XFixes: compositing managers are looked for every few seconds";
        return;
    }
    // A client states the XFixes version it speaks before its first request.
    std::free(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr));
    selection_ = compositorSelection(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (selection_ == XCB_NONE || !screen)
        return;
    selectionNotify_ = static_cast<std::uint8_t>(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
    xcb_xfixes_select_selection_input(c, screen->root, selection_,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(c);
    QCoreApplication::instance()->installNativeEventFilter(this);
    listening_ = true;
}

CompositorWatch::~CompositorWatch()
{
    // The selection stays watched: Qt's own screen code watches the same one with the same mask.
    if (listening_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool CompositorWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != selectionNotify_)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == selection_ && changed_)
        changed_(notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && notify->owner != XCB_NONE);
    // Qt reads the same events for its own bookkeeping.
    return false;
}

} // namespace tb
