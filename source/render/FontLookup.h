#pragma once

#include <QString>

namespace tb {

// Finds the installed font family for a name from a skin or a command, the way the family
// lookup of the drawing expects: the name must name an installed family (case does not
// matter), or be one of the classic Windows families that fontconfig answers with a
// metric-compatible stand-in ("Arial" with Liberation Sans). Returns the family to draw with,
// or an empty string when the name is not installed.
QString findInstalledFamily(const QString& name);

} // namespace tb
