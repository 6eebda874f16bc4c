#include "app/AbsentParts.h"

namespace tb {
Q_LOGGING_CATEGORY(lcAbsentParts, "thermobadge.main", QtInfoMsg)
}
