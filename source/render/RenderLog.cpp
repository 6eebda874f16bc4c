#include "render/RenderLog.h"

namespace tb {

// Failures are warnings, so they reach the standard error log without any rule switched on.
Q_LOGGING_CATEGORY(lcRender, "thermobadge.render", QtWarningMsg)

} // namespace tb
