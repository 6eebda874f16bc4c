#include "platform/desktop/WindowBorder.h"

#include "platform/desktop/DesktopCompositor.h"

#include <QWidget>


#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace tb {

void setBorderOnly(QWidget* window)
{
    if (!onX11() || !window || !window->isVisible())
        return;
    xcb_connection_t* c = x11Connection();
    if (!c)
        return;
    const char* name = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    if (!r)
        return;
    // flags: decorations given; functions 0; decorations: border only; input mode 0; status 0.
    constexpr uint32_t kDecorationsGiven = 2, kBorder = 2;
    const uint32_t hints[5] = {kDecorationsGiven, 0, kBorder, 0, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), r->atom, r->atom, 32, 5, hints);
    std::free(r);
    xcb_flush(c);
}

} // namespace tb
