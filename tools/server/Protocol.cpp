#include "Protocol.h"

#include "platform/Codepage.h"
#include "temperature/Exchange.h"

#include <algorithm>

namespace tbserver {

Request parseRequest(QByteArrayView datagram)
{
    Request r;
    if (datagram.size() >= 3 && datagram[0] == 't' && datagram[1] == 'x') {
        const QByteArrayView wordBytes = datagram.sliced(2, datagram.size() - 3);
        r.word = tb::fromAnsi(wordBytes);
        r.checksum = static_cast<unsigned char>(datagram.back());
        r.expected = tb::ansiCode(tb::CheckSumChar(r.word));
        r.kind = r.checksum == r.expected ? RequestKind::Temperature : RequestKind::BadChecksum;
    } else if (datagram.size() == 2 && datagram[0] == 'v') {
        r.kind = RequestKind::Version;
    }
    return r;
}

std::optional<QByteArray> buildTemperatureReply(const Reading& reading)
{
    if (!isPlausible(reading.celsius) || !reading.takenAt.isValid())
        return std::nullopt;
    const QDateTime local = reading.takenAt.toLocalTime();
    if (local.date().year() < 1000 || local.date().year() > 9999)
        return std::nullopt;
    QString value = QString::number(reading.celsius, 'f', 1);
    if (value == QLatin1String("-0.0"))
        value = QStringLiteral("0.0");
    // A format string makes QDateTime::toString use the C locale in Qt 6: ASCII digits whatever
    // the user's locale, as the client expects.
    const QString text = local.toString(QStringLiteral("dd.MM.yyyy hh:mm ")) + value;
    QByteArray bytes = text.toLatin1();
    if (bytes.size() < kMinTemperatureReply || bytes.size() > kMaxTemperatureReply)
        return std::nullopt;
    return bytes;
}

VersionReplyCheck makeVersionReply(const QString& text)
{
    VersionReplyCheck check;
    if (text.isEmpty()) {
        check.error = QStringLiteral("the version reply must not be empty");
        return check;
    }
    const QByteArray bytes = tb::toAnsi(text);
    if (tb::fromAnsi(bytes) != text) {
        check.error = QStringLiteral("the version reply \"%1\" has characters outside windows-1251").arg(text);
        return check;
    }
    if (bytes.size() > kMaxVersionReply) {
        check.error = QStringLiteral("the version reply \"%1\" is %2 bytes long; the client reads at most %3")
                          .arg(text).arg(bytes.size()).arg(kMaxVersionReply);
        return check;
    }
    check.bytes = bytes;
    return check;
}

QString printableWord(const QString& word)
{
    QString out = QStringLiteral("\"");
    for (QChar c : word) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0)) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += u'"';
    return out;
}

QString hexPreview(QByteArrayView datagram, qsizetype maxBytes)
{
    QString out = QString::fromLatin1(datagram.first(std::min(datagram.size(), maxBytes)).toByteArray().toHex(' '));
    if (datagram.size() > maxBytes)
        out += QStringLiteral(" ...");
    return out;
}

} // namespace tbserver
