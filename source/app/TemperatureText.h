#pragma once

#include "platform/DateTime.h"
#include "platform/NumberText.h"
#include "platform/Regional.h"

#include <QString>
#include <QStringList>

namespace tb {

// Number of temperature formats the menu offers.
inline constexpr int kTemperFormatCount = 10;

// A temperature in one of the display formats: an explicit sign taken from the unrounded
// value, one decimal (formats 0 to 4) or whole degrees (5 to 9, and any index above 4),
// rounded half away from zero, "." as decimal point, then the unit suffix: none, "°", " °",
// "°C", " °C" by format. An index outside 0 to 9 gives the number alone.
QString GetTemperFormat(double dTemper, int nFormat);

// The sign-and-digits number alone, with one or no decimal and the given separator.
QString signedTemperature(double value, int decimals, QChar separator);

// The format submenu: the current temperature in every format, and the checked item (none
// when the stored format lies outside the menu).
struct FormatMenu {
    QStringList captions;
    int checked = -1;
};
FormatMenu SetTemperFormat(double dTemper, int nTmprFrmt);

// Tooltip of the tray icon: "+6,5 °C", a line break, "7.03.2024 в 14:05", with the
// regional decimal separator.
QString temperatureTooltip(double temperature, DateTime time, const Regional& regional);

} // namespace tb
