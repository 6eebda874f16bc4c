#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>

#include <optional>

class QScreen;

namespace tb {

// Where a window whose frame lies entirely outside every screen should go: the nearest
// position at which it is fully visible on the nearest screen (its top-left corner when it is
// larger than that screen). Nothing when the frame still touches a screen, or there is none.
std::optional<QPoint> rescuePosition(QRect frame, const QList<QRect>& screens);

// Brings the program's windows back into view when a screen is removed or shrinks and leaves
// one of them entirely outside every screen (logged). Positions restored at start-up are not
// touched, and nothing moves back when a screen returns.
class ScreenRescue final : public QObject {
public:
    ScreenRescue();
    // Moves every visible top-level window that lies outside all screens; public for tests.
    void check();

private:
    void watch(QScreen* screen);
};

} // namespace tb
