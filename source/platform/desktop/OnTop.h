#pragma once

class QWidget;

namespace tb {

// Puts the window into (on) or out of the band of windows kept above others, without moving,
// resizing or otherwise changing it.
void SetOnTop(bool on, QWidget* window);

} // namespace tb
