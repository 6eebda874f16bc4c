#include "platform/desktop/GadgetHints.h"

#include "platform/desktop/DesktopCompositor.h"

#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tb {

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(r);
    return a;
}

// The atoms of a window's _NET_WM_STATE.
std::vector<xcb_atom_t> states(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property)
{
    std::vector<xcb_atom_t> out;
    xcb_get_property_reply_t* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, XCB_ATOM_ATOM, 0, 64), nullptr);
    if (r && r->format == 32 && r->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
        out.assign(data, data + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return out;
}

} // namespace

void applyGadgetHints(QWidget* window, bool sticky)
{
    if (!onX11() || !window)
        return;
    xcb_connection_t* c = x11Connection();
    if (!c)
        return;
    // The window is not mapped yet (this runs from its show event): the window manager reads
    // these properties when it maps the window. Qt merges its own states (above) into the list.
    // The native window of the QWindow, made here if need be: the widget's own winId() keeps the
    // id of the first native window even after Qt has made another.
    QWindow* handle = window->windowHandle();
    const auto id = static_cast<xcb_window_t>(handle ? handle->winId() : window->winId());
    const xcb_atom_t property = atom(c, "_NET_WM_STATE");
    const xcb_atom_t stickyState = atom(c, "_NET_WM_STATE_STICKY");
    std::vector<xcb_atom_t> list = states(c, id, property);
    std::erase(list, stickyState);
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        if (const xcb_atom_t a = atom(c, name); std::find(list.begin(), list.end(), a) == list.end())
            list.push_back(a);
    if (sticky)
        list.push_back(stickyState);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_ATOM, 32, static_cast<uint32_t>(list.size()), list.data());
    // Window managers that keep sticky windows by desktop number read this one.
    const xcb_atom_t desktop = atom(c, "_NET_WM_DESKTOP");
    if (sticky) {
        const uint32_t all = 0xFFFFFFFFu;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &all);
    } else {
        xcb_delete_property(c, id, desktop);
    }
    xcb_flush(c);
}

} // namespace tb
