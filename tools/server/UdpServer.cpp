#include "UdpServer.h"

#include "Protocol.h"
#include "platform/Codepage.h"

#include <QNetworkDatagram>
#include <QTimer>

namespace tbserver {

QString endpointText(const QHostAddress& address, quint16 port)
{
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        return QStringLiteral("[%1]:%2").arg(address.toString()).arg(port);
    return QStringLiteral("%1:%2").arg(address.toString()).arg(port);
}

UdpServer::UdpServer(const ServerOptions& options, TemperatureSource& source, LogLine logLine)
    : options_(options)
    , source_(source)
    , logLine_(std::move(logLine))
    , policy_(options.every, options.silent)
{
    connect(&socket_, &QUdpSocket::readyRead, this, &UdpServer::readPending);
}

bool UdpServer::listen()
{
    return socket_.bind(options_.bind, options_.port);
}

QString UdpServer::localEndpoint() const
{
    return endpointText(socket_.localAddress(), socket_.localPort());
}

void UdpServer::readPending()
{
    while (socket_.hasPendingDatagrams())
        handle(socket_.receiveDatagram());
}

void UdpServer::handle(const QNetworkDatagram& datagram)
{
    if (!datagram.isValid())
        return; // the pending datagram vanished (an ICMP error on some systems): nothing to answer
    const QHostAddress to = datagram.senderAddress();
    const auto port = static_cast<quint16>(datagram.senderPort());
    // Log lines are only put together when someone reads them: the loop stays cheap without --log.
    const bool logging = static_cast<bool>(logLine_);
    const QString from = logging ? endpointText(to, port) : QString();
    const Request request = parseRequest(datagram.data());
    switch (request.kind) {
    case RequestKind::NotRequest:
        if (logging)
            log(QStringLiteral("%1 %2 bytes [%3] -> no answer: not a request")
                    .arg(from)
                    .arg(datagram.data().size())
                    .arg(hexPreview(datagram.data())));
        return;
    case RequestKind::BadChecksum:
        if (logging)
            log(QStringLiteral("%1 temperature %2 -> no answer: wrong checksum 0x%3, the word needs 0x%4")
                    .arg(from, printableWord(request.word))
                    .arg(request.checksum, 2, 16, QLatin1Char('0'))
                    .arg(request.expected, 2, 16, QLatin1Char('0')));
        return;
    case RequestKind::Version: {
        const auto decision = policy_.versionRequest();
        const QString outcome = decision.answer ? answer(options_.versionReply, to, port)
                                                : QStringLiteral("no answer: ") + decision.reason;
        if (logging)
            log(QStringLiteral("%1 version -> %2").arg(from, outcome));
        return;
    }
    case RequestKind::Temperature: {
        const QString outcome = temperatureAnswer(to, port);
        if (logging)
            log(QStringLiteral("%1 temperature %2 -> %3").arg(from, printableWord(request.word), outcome));
        return;
    }
    }
}

QString UdpServer::temperatureAnswer(const QHostAddress& to, quint16 port)
{
    const auto decision = policy_.temperatureRequest();
    if (!decision.answer)
        return QStringLiteral("no answer: ") + decision.reason;
    const SourceState state = source_.state();
    if (!state.reading)
        return QStringLiteral("no answer: no reading yet (%1)").arg(state.problem);
    const auto reply = buildTemperatureReply(*state.reading);
    if (!reply)
        return QStringLiteral("no answer: the reading %1 taken %2 does not fit a reply")
            .arg(state.reading->celsius)
            .arg(state.reading->takenAt.toString(Qt::ISODate));
    const QString sent = answer(*reply, to, port);
    if (state.problem.isEmpty())
        return sent;
    return QStringLiteral("%1 (the last good reading; now: %2)").arg(sent, state.problem);
}

QString UdpServer::answer(const QByteArray& reply, const QHostAddress& to, quint16 port)
{
    const QString text = QStringLiteral("\"%1\"").arg(tb::fromAnsi(reply));
    if (options_.delay.count() == 0) {
        send(reply, to, port);
        return text;
    }
    if (pending_ >= kMaxPending)
        return QStringLiteral("no answer: %1 delayed answers are already waiting").arg(pending_);
    ++pending_;
    QTimer::singleShot(options_.delay, this, [this, reply, to, port] {
        --pending_;
        send(reply, to, port);
    });
    return QStringLiteral("%1 in %2 ms").arg(text).arg(options_.delay.count());
}

void UdpServer::send(const QByteArray& reply, const QHostAddress& to, quint16 port)
{
    if (socket_.writeDatagram(reply, to, port) != reply.size())
        log(QStringLiteral("sending to %1 failed: %2").arg(endpointText(to, port), socket_.errorString()));
}

void UdpServer::log(const QString& line)
{
    if (!logLine_)
        return;
    // A flood is summed up: within each second the first lines are shown, the rest counted and
    // told in one line when the next second's first line comes.
    if (!logWindow_.isValid() || logWindow_.elapsed() >= 1000) {
        if (unshownLines_ > 0)
            logLine_(QStringLiteral("... %1 more lines like these in one second were not shown").arg(unshownLines_));
        logWindow_.start();
        shownLines_ = 0;
        unshownLines_ = 0;
    }
    if (shownLines_ < kLogLinesASecond) {
        ++shownLines_;
        logLine_(line);
    } else {
        ++unshownLines_;
    }
}

} // namespace tbserver
