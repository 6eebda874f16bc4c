#pragma once

#include <QString>
#include <QStringList>

namespace tbvershow {

// What the command line of the notice says. The indicator passes exactly one argument: "/v"
// followed by the announced version as the server wrote it, e.g. "/v1.5" or "/v2".
struct VersionArgument {
    enum class Problem { None, Missing, Extra, Malformed, TooLong };
    Problem problem = Problem::None;
    QString version;   // the version to show, e.g. "1.5" (Problem::None)
    QString offending; // the argument that was refused, for the message
};

// The longest argument looked at; the server's version reply is at most 5 bytes.
inline constexpr qsizetype kMaxArgumentLength = 24;

// Reads the arguments after the program name. Accepted: "/v" or "/V", then a version of one to
// five digits, optionally followed by "." (or ",") and up to five more digits, each part at most
// 32767 (the range the indicator reads versions in). Blanks around the version and one "+"
// before it are allowed, because the indicator passes on replies such as " 1.5" or "+2" unchanged.
// The version is shown with "." and without the leading zeros of its whole part, its fraction
// kept as given ("1.05" stays "1.05").
VersionArgument parseVersionArgument(const QStringList& arguments);

} // namespace tbvershow
