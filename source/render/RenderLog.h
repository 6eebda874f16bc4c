#pragma once

#include <QLoggingCategory>

namespace tb {

// Everything the drawing of the overlay reports: failed drawing steps, refused pictures.
Q_DECLARE_LOGGING_CATEGORY(lcRender)

} // namespace tb
