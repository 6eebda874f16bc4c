#pragma once

class QWidget;

namespace tb {

// Shows the window and brings it to the front with the keyboard focus, back from minimised
// first: a minimised window is not mapped, and on X11 Qt puts off raising and activating an
// unmapped window until it is mapped again, which then never happens.
void bringToFront(QWidget* window);

// Takes the window out of the minimised state (nothing when it is not minimised).
void unminimise(QWidget* window);

} // namespace tb
