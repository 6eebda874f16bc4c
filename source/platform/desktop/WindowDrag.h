#pragma once

#include <QPoint>

class QWidget;

namespace tb {

// Hands a drag over to the window manager's move once the pointer has gone from `pressAt`
// (where the button went down) to `pointerAt` (global positions): the window follows the
// pointer from where the button went down, not from where the move starts. False when the
// platform cannot move the window.
bool startWindowMove(QWidget* window, QPoint pressAt, QPoint pointerAt);

} // namespace tb
