#pragma once

class QWidget;

namespace tb {

// Asks the window manager for a thin border and nothing else around a shown window: no title
// bar, no buttons (Motif window manager hints on X11; nothing elsewhere). Qt offers a frame
// with a title or no frame at all, so the hint is set after Qt has set its own.
void setBorderOnly(QWidget* window);

} // namespace tb
