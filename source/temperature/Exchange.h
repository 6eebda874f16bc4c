#pragma once

#include "platform/DateTime.h"
#include "platform/NumberText.h"
#include "platform/Regional.h"

#include <QString>

#include <optional>

// The bytes the component exchanges with the temperature server, and the small text routines
// used on them. Pure functions: no state, no I/O.
namespace tb {

inline constexpr quint16 kServerPort = 25002;

// What a datagram is, told by its length in bytes alone.
enum class ReplyKind { Unread, Version, Ignored, Temperature };
ReplyKind classifyReply(qsizetype bytes);

// The one checksum character of a request word: the sum of its code-page codes modulo 256.
QChar CheckSumChar(QStringView word);
// "tx" + word + checksum. Raises the overflow error when the sum of the codes exceeds 32767,
// the limit of the accumulator the request format was defined with.
QString buildZaprosLine(QStringView word);

// Major and minor as "1,05": minor gets a leading "0" when it is 9 or less.
QString VerToStr(int major, int minor);
// The value of a version as VerToStr writes it, in single precision: 1 and 5 give 1.05.
float versionValue(int major, int minor);


// A parsed temperature reply.
struct TemperatureReply {
    DateTime time;
    double temperature = 0; // uncorrected, degrees Celsius
};
// Parses "date time temperature": the first space at position 11 or later, the second at 17
// or later (positions from 1). The date and time are read as day.month.year hour:minute
// first, then in the regional form.
std::optional<TemperatureReply> parseTemperatureReply(QStringView text, const Regional& regional);

// A parsed version reply: a whole number, or major and minor joined by one "." or ",".
struct VersionReply {
    int major = 0;
    int minor = 0;
    QString text; // the reply with its first "." made a "," (as handed on to the notice program)
};
std::optional<VersionReply> parseVersionReply(QStringView text);

} // namespace tb
