#pragma once

#include "platform/DateTime.h"

#include <QString>

namespace tb {

// The age of a reading taken at `time`, seen at `now`, from the minute boundaries between
// them: "H:MM" under a day, "Dд. H:MM" from a day on. A reading time ahead of the clock
// counts as age 0.
QString DifTimeText(DateTime time, DateTime now);

} // namespace tb
