#pragma once

class QWidget;

namespace tb {

// Asks the window manager to treat the window as a desktop gadget: shown on every workspace
// (sticky) or on the current one only, and left out of task bars and pagers (_NET_WM_STATE and
// _NET_WM_DESKTOP on X11; nothing elsewhere). Call it from the window's show event, before the
// window is mapped: window managers read these when they map a window and drop them when it
// is hidden.
void applyGadgetHints(QWidget* window, bool sticky);

} // namespace tb
