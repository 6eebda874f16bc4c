#pragma once

#include <QtGlobal>

namespace tb {

// The stale-reading marker: a red no-entry disc drawn over the overlay when the reading is old.
struct StaleMark {
    bool fShow = false; // draw it
    float nSize = 14;   // disc diameter in pixels
    qint16 nPos = 0;    // position 0 to 5: top left, bottom right, top right, bottom left, centre top, centre bottom
};

} // namespace tb
