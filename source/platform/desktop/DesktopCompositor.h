#pragma once

namespace tb {

// Whether the desktop blends translucent windows. On X11 that needs a compositing manager
// (the owner of the _NET_WM_CM_Sn selection); other platforms (Wayland, offscreen) always do.
bool compositorRunning();

// Whether the program runs on X11 (natively or through XWayland).
bool onX11();

} // namespace tb
