#pragma once

#include <QtGlobal>

class QWidget;

namespace tb {

// Lets the user choose a colour in the full colour dialog, starting on `initial`
// (0x00BBGGRR), modal to `owner`. Returns the chosen colour, or exactly `initial` on cancel.
// The sixteen custom colours start black and are kept for the rest of the run.
qint32 SelectColor(qint32 initial, QWidget* owner);

} // namespace tb
