#pragma once

#include "VersionArgument.h"

#include <QString>

// The texts the notice shows, in Russian like the rest of the interface.
namespace tbvershow {

inline constexpr char kNoticeTitle[] = "ThermoBadge";

// "A newer version is available: 1.5" with the installed version on a line of its own.
QString noticeText(const QString& newVersion, const QString& installedVersion);
// Why the command line was refused, followed by the usage.
QString argumentErrorText(const VersionArgument& argument);

} // namespace tbvershow
