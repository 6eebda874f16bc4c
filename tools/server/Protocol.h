#pragma once

#include "Reading.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The server's side of the datagram exchange: what a request is and what the answer looks like.
// Pure functions, no sockets. Bytes on the wire are windows-1251.
namespace tbserver {

enum class RequestKind {
    Temperature, // "tx" + word + checksum, checksum right
    Version,     // "v" + one character
    BadChecksum, // "tx" + word + checksum, checksum wrong
    NotRequest,  // anything else
};

struct Request {
    RequestKind kind = RequestKind::NotRequest;
    QString word;                // the request word (Temperature, BadChecksum)
    unsigned char checksum = 0;  // the checksum byte as received (Temperature, BadChecksum)
    unsigned char expected = 0;  // the checksum the word calls for (Temperature, BadChecksum)
};

Request parseRequest(QByteArrayView datagram);

// The shortest and longest temperature reply the client reads.
inline constexpr qsizetype kMinTemperatureReply = 18;
inline constexpr qsizetype kMaxTemperatureReply = 30;
inline constexpr qsizetype kMaxVersionReply = 5;

// "dd.mm.yyyy hh:mm T": the reading time in local time and the temperature with one decimal and
// a "." whatever the locale. Nothing when the reading is not plausible or the result would not
// be 18 to 30 bytes long (a year beyond 9999, an invalid time).
std::optional<QByteArray> buildTemperatureReply(const Reading& reading);

// The version reply bytes for a configured text, or an error message: the text must encode to
// 1 to 5 bytes, every character in the code page.
struct VersionReplyCheck {
    QByteArray bytes;
    QString error; // empty when bytes is usable
};
VersionReplyCheck makeVersionReply(const QString& text);

// A request word as the log shows it: in quotes, with quotes, backslashes and control
// characters escaped, so odd bytes cannot break the one-line-per-request log.
QString printableWord(const QString& word);
// The first bytes of a datagram in hex, for datagrams that are not requests.
QString hexPreview(QByteArrayView datagram, qsizetype maxBytes = 16);

} // namespace tbserver
