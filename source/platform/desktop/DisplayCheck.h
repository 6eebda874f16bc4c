#pragma once

#include <QString>

namespace tb {

// Why the windowing system Qt would use cannot be reached, or an empty text when it can.
// Asked before the application object exists: Qt's display plugins abort the process when
// their display is missing, before the program could say what is wrong.
QString missingDisplay();

} // namespace tb
